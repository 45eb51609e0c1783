#pragma once

#include <cstdint>

#include "platform/DesktopSurface.h"

namespace corkwallery::platform::x11 {

// A desktop window (a pin, a card) on X11, where Qt runs on xcb.
class X11Surface final : public DesktopSurface {
public:
    explicit X11Surface(QWindow* window) : DesktopSurface(window) {}

    // Marks the window as part of the desktop, merging into what its properties hold: the desktop
    // window type, which every window manager leaves in place through Show Desktop and keeps below
    // normal windows; _NET_WM_STATE sticky, skip taskbar, skip pager,
    // _KDE_NET_WM_STATE_SKIP_SWITCHER; _NET_WM_DESKTOP 0xFFFFFFFF (every workspace); WM_HINTS
    // input false unless the window accepts the focus (no Qt::WindowDoesNotAcceptFocus);
    // _COMPTON_SHADOW 0 (picom and compton draw no shadow of their own). Window managers forget
    // these when a window is withdrawn, so this runs before every show.
    void prepare(const QRect& geometry, Anchor anchor) override;
    // Qt places the window.
    void place(const QRect&) override {}
    // Sends a configure request straight to the server.
    bool placeDirectly(const QRect& geometry) override;
    // Does nothing without the SHAPE extension.
    void setInputShape(const QRegion& region) override;
    // Once mapped: WM_TRANSIENT_FOR the desktop's own window (the file manager's), where there is
    // one, which keeps ours above it in the layer they share; DesktopStacking does the rest.
    void keepAboveDesktop(bool mapped) override;
    // The window manager's frame around the window gets _COMPTON_SHADOW 0 too (picom reads it
    // from the frame).
    void markFrameWithoutShadow() override;
    bool isWindowManaged() const override { return true; }
    bool closedBySystem() override { return false; }
    QPointF globalPointer(QPointF, QPointF global, bool, bool) override { return global; }
    bool isPointerButtonDown() const override;

private:
    std::uint32_t windowId() const;
};

}  // namespace corkwallery::platform::x11
