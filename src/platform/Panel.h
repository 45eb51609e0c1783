#pragma once

#include <memory>

#include <QPoint>

#include "platform/Geometry.h"
#include "platform/View.h"

namespace corkwallery::platform {

class PanelWidget;

enum class WindowLevel { Normal, DesktopIcon };

// Where a window appears and how window cycling treats it.
enum CollectionBehavior : unsigned {
    CollectionCanJoinAllSpaces = 1u << 0,
    CollectionStationary = 1u << 4,
    CollectionIgnoresCycle = 1u << 6,
};

// A borderless top-level window that never takes the keyboard focus. Its frame equals its
// content rectangle and is kept in double precision (screen coordinates); the native window is
// placed at the rounded geometry. The content view always fills the window.
class Panel {
public:
    explicit Panel(Rect contentRect);
    ~Panel();
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    void setLevel(WindowLevel level);
    WindowLevel level() const { return level_; }
    void setOpaque(bool opaque);
    bool isOpaque() const { return opaque_; }
    void setBackgroundColor(Color color);
    Color backgroundColor() const { return background_; }
    // A translucent window with a shadow draws it itself, in the room WindowSurface::kShadowRoom
    // that its drawing margin then keeps, and only while a compositor runs.
    void setHasShadow(bool shadow);
    bool hasShadow() const { return hasShadow_; }
    // Kept for parity with window APIs that free a closed window; a Panel lives while it is owned.
    void setReleasedWhenClosed(bool released) { releasedWhenClosed_ = released; }
    bool isReleasedWhenClosed() const { return releasedWhenClosed_; }
    void setCollectionBehavior(unsigned behavior) { collectionBehavior_ = behavior; }
    unsigned collectionBehavior() const { return collectionBehavior_; }

    // Room around the frame that the native window keeps for drawing only, so content drawn
    // slightly outside the frame (a photo lifted while dragged) is not cut off. The frame, and
    // with it the window's centre, is unaffected. The margin the window keeps also holds its
    // shadow.
    void setDrawingMargin(double points);
    double drawingMargin() const;

    void setContentView(std::unique_ptr<View> view);
    View* contentView() const { return contentView_.get(); }

    // The frame as last set, or where the window manager moved the window since.
    Rect frame() const { return frame_; }
    void setFrame(Rect frame, bool display);
    void setFrameOrigin(Point origin);
    // The frame's centre exactly as last given (a centre turned into an origin and back may
    // differ in its last bits), or where the window was moved to since.
    Point center() const { return center_; }
    // Moves the window so that its frame's centre is exactly `center`.
    void setCenter(Point center);
    // Gives the frame `size`, keeping its exact centre.
    void setFrameSizeKeepingCenter(Size size, bool display);

    // Makes the window take clicks only where its content view's hit region lies. The panel does
    // this after every frame change and show; a content view whose hit region changes otherwise
    // calls it. (Without a compositor the window is cut to what it draws: see WindowSurface.)
    void updateHitRegion();

    // Shows the window above the others of its level, without activating it. A desktop-level
    // window is kept below normal windows, on every workspace, out of the taskbar, pager and
    // window switcher.
    void orderFront();
    void close();
    bool isVisible() const;

    PanelWidget* widget() const { return widget_; }

private:
    friend class PanelWidget;
    // The window manager moved the native window, drawing margin included, to `topLeft` (Qt's
    // global coordinates).
    void nativeWindowMoved(QPoint topLeft);
    Rect nativeFrame() const;
    void placeNativeWindow();
    void resizeFrame(Rect frame, bool display);
    void marginChanged();

    Rect frame_;
    Point center_;
    WindowLevel level_ = WindowLevel::Normal;
    bool opaque_ = true;
    Color background_ = Color::white();
    bool hasShadow_ = true;
    bool releasedWhenClosed_ = true;
    unsigned collectionBehavior_ = 0;
    double drawingMargin_ = 0;
    double placedMargin_ = 0;
    std::unique_ptr<View> contentView_;
    PanelWidget* widget_;  // owned; handed to Qt for deletion when the panel goes
};

}  // namespace corkwallery::platform
