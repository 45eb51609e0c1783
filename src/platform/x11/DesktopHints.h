#pragma once

#include <QRect>
#include <QRegion>

class QWidget;

// The X11 side of our desktop windows (pins and cards). Each function does nothing when Qt does
// not run on xcb (offscreen tests).
namespace corkwallery::platform::x11 {

bool isRunning();

// Marks an unmapped top-level window as part of the desktop, merging into what its properties
// hold: the desktop window type, which every window manager leaves in place through Show Desktop
// and keeps below normal windows; _NET_WM_STATE sticky, skip taskbar, skip pager,
// _KDE_NET_WM_STATE_SKIP_SWITCHER; _NET_WM_DESKTOP 0xFFFFFFFF (every workspace); WM_HINTS input
// false unless the window accepts the focus (no Qt::WindowDoesNotAcceptFocus); _COMPTON_SHADOW 0
// (picom and compton draw no shadow of their own). Window managers forget these when a window is
// withdrawn, so this runs before every show. Creates the native window if needed.
void prepareDesktopWindow(QWidget* window);
// Right after the window was shown: WM_TRANSIENT_FOR the desktop's own window (the file
// manager's), where there is one, which keeps ours above it in the layer they share (see
// DesktopStacking for where that is not enough).
void makeTransientForDesktop(QWidget* window);

// Once mapped: the window manager's frame around the window gets _COMPTON_SHADOW 0 too (picom
// reads it from the frame).
void markFrameWithoutShadow(QWidget* window);

// The window takes pointer input only inside `region` (device-independent pixels of the window);
// clicks elsewhere go to what lies below. Does nothing without the SHAPE extension.
void setInputShape(QWidget* window, const QRegion& region);

// Whether a pointer button is held down now: a window manager moves a window for the user only
// while they drag it. True off X11, where it cannot be told.
bool isPointerButtonDown();

// Sends a configure request for `geometry` (Qt's global coordinates) straight to the server: Qt
// sends none when its idea of the geometry, perhaps from a late report, already matches.
void configureWindow(QWidget* window, const QRect& geometry);

}  // namespace corkwallery::platform::x11
