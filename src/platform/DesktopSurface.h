#pragma once

#include <QObject>
#include <QPointF>
#include <QRect>
#include <QRegion>
#include <functional>

class QScreen;
class QWindow;

namespace corkwallery::platform {

// What a window that stands on the desktop (a pin, a card) asks of the window system: desktop
// hints, shapes and stacking on X11, a layer surface on Wayland, nothing offscreen. The backend is
// chosen once per process (chooseDesktopSurfaces); each window has its own surface, made at first
// ask and owned by the window (a child of its QWindow). Geometries are Qt's global coordinates,
// regions the window's own.
class DesktopSurface : public QObject {
    Q_OBJECT
public:
    // The corner that holds the window where the window system places it by one (a layer surface).
    enum class Anchor {
        TopLeft,   // by the top-left corner, from the output's corner, ignoring panels
        TopRight,  // by the top-right corner, from the corner of the area panels leave free
    };
    // Makes the surface of a window, as a child of it.
    using Maker = std::function<DesktopSurface*(QWindow*)>;

    // The surface of `window`; null without a window.
    static DesktopSurface* get(QWindow* window);
    // Windows without a surface get theirs from `maker` from now on; an empty one makes null
    // surfaces, as before any is installed.
    static void install(Maker maker);

    // Before every show, once the native window exists and while it is unmapped: makes it part of
    // the desktop, standing at `geometry`, held by `anchor`.
    virtual void prepare(const QRect& geometry, Anchor anchor) = 0;
    // After Qt was asked to place the window at `geometry`: what Qt does not carry itself.
    virtual void place(const QRect& geometry) = 0;
    // Asks for `geometry` straight, past Qt, which asks nothing when its idea of the geometry
    // (perhaps from a late report) already matches. Whether that can be done.
    virtual bool placeDirectly(const QRect& geometry) = 0;
    // The window takes pointer input only inside `region`; clicks elsewhere reach what lies below.
    virtual void setInputShape(const QRegion& region) = 0;
    // Right after a show (`mapped`: the show mapped the window): keeps the window just above the
    // desktop's own.
    virtual void keepAboveDesktop(bool mapped) = 0;
    // Once mapped, when what a window manager put around the window exists: no shadow on it.
    virtual void markFrameWithoutShadow() = 0;
    // Whether a window manager takes the window on once it maps, perhaps in a frame or at a place
    // of its own: the window then asks for its place again.
    virtual bool isWindowManaged() const = 0;
    // The window system closed the surface (its output went): the next place() makes it again.
    // Whether the window system can do that.
    virtual bool closedBySystem() = 0;
    // The pointer on the screen for a mouse event at `local` in the window, which Qt puts at
    // `global`; `press` starts a gesture, `dragging`: the window follows the pointer.
    virtual QPointF globalPointer(QPointF local, QPointF global, bool press, bool dragging) = 0;
    // Whether a pointer button is held down now: a window manager moves a window for the user
    // only while they drag it. True where it cannot be told.
    virtual bool isPointerButtonDown() const = 0;

signals:
    // What changed takes effect with the window's next frame, which a window that only moves
    // would not draw: `area` drawn again makes one.
    void frameNeeded(const QRect& area);
    // The surface goes to `screen` only as it is made anew: the window hides, takes that screen
    // and shows again.
    void remapNeeded(QScreen* screen);

protected:
    explicit DesktopSurface(QWindow* window);
    QWindow* window() const { return window_; }

private:
    QWindow* window_;
};

}  // namespace corkwallery::platform
