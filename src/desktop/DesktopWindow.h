#pragma once

#include <QRectF>
#include <QRegion>
#include <QWidget>

#include "desktop/DroppedFiles.h"

namespace corkwallery {

namespace platform {
class DesktopSurface;
}

// A window that stands on the desktop, as pins and cards do: borderless and translucent, below
// other windows, on every workspace, out of the taskbar, pager and switcher, never focused as it
// appears (and pins never at all), and closed only by its owner. Its frame is kept in screen points
// (y up); the native window is a rounded copy of it with a drawing margin around. It follows the
// compositor: with one, what it draws is blended; without one, the window is cut to visibleShape().
// It takes clicks only inside inputShape(), and drags that carry URLs (files from a file manager or
// a browser), which it copies, never moves, and hands on by filesDropped.
class DesktopWindow : public QWidget {
    Q_OBJECT
public:
    // Whether the window takes the keyboard focus: a pin never does; a card, whose keys close it,
    // once the user clicks it.
    enum class Focus { Refused, OnClick };

    // A hidden window with this frame and margin (points).
    explicit DesktopWindow(const QRectF& frame, double margin = 0, Focus focus = Focus::Refused);
    ~DesktopWindow() override;

    QRectF frame() const { return frame_; }
    double margin() const { return margin_; }
    bool isCompositing() const { return compositing_; }

    // Shows the window without activating it, marking it part of the desktop while unmapped.
    void orderFront();
    // Our own close; a close the window manager asks for is refused, as the owner would not know.
    void closeWindow();
    // As a layer surface, held by the top-right corner of the area panels leave free, which only
    // the compositor knows, at the distance the frame keeps from the screen's corner. Before the
    // first show.
    void holdAtTopRight() { heldAtTopRight_ = true; }

public slots:
    void setCompositing(bool compositing);

signals:
    // URLs were dropped on the window.
    void filesDropped(const corkwallery::DroppedFiles& dropped);

protected:
    // Where the window takes clicks, in widget coordinates: all of it unless told otherwise.
    virtual QRegion inputShape() const;
    // Without a compositor, the pixels the window shows (widget coordinates): all of it unless
    // told otherwise. An empty shape shows nothing.
    virtual QRegion visibleShape() const;
    // Called after the compositor came or went, before the shapes are applied again.
    virtual void compositingChanged() {}
    // Asks the window system for this native geometry (Qt's global coordinates).
    virtual void placeNative(const QRect& geometry);
    // The window system's side of the window, once the native window exists.
    platform::DesktopSurface& surface() const;
    // Whether the native window stands elsewhere than `geometry`, though Qt may think otherwise:
    // Qt keeps a window's device pixels when the scale changes.
    bool nativeDiffers(const QRect& geometry) const;

    // Sets the frame and places the window there.
    void placeFrame(const QRectF& frame);
    // Takes the frame the window already has (the window manager moved it): nothing is asked.
    void adoptFrame(const QRectF& frame) { frame_ = frame; }
    void setMargin(double margin);
    QRect nativeGeometry() const;
    // The shapes changed: applied now when the native window exists, else before it shows.
    void shapesChanged();

    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A click activates a window that takes the focus: some window managers (openbox without
    // mouse bindings) give none to a window of the desktop's type themselves.
    void mousePressEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Accepts a drag of URLs, as a copy (or a link, where the source offers no copy); refuses any
    // other. Whether it was accepted.
    static bool acceptDrag(QDropEvent* event);
    // Screens settled (a new scale, a monitor): the window goes to its frame again and, when the
    // pixel ratio changed, is drawn and shaped again at the new one.
    void screensSettled();
    void applyShapes();
    // Maps the window again on `screen`, as its surface asks.
    void remap(QScreen* screen);
    void settleAfterMapping();

    QRectF frame_;
    double margin_;
    bool compositing_ = true;
    qreal drawnRatio_ = 1;  // the pixel ratio the window was last drawn and shaped at
    bool justMapped_ = false;
    bool closing_ = false;
    bool heldAtTopRight_ = false;
};

}  // namespace corkwallery
