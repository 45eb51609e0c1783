#pragma once

#include <QRectF>
#include <QWidget>
#include <deque>

#include "photo/DraggableImageView.h"

namespace corkwallery {

// A pin's top-level window: borderless and translucent, below other windows, on every workspace,
// out of the taskbar, pager and switcher, never focused (see design: "Pin windows on X11"). Its
// frame is kept exactly, in screen points (y up); the native window is a rounded copy of it with a
// drawing margin around, and takes clicks only where its view draws. The window tells its own
// requests' late echoes from the window manager's real moves, which it follows.
class PinWindow final : public QWidget, public DraggableImageView::Window {
    Q_OBJECT
public:
    // A hidden window with this frame (screen points).
    explicit PinWindow(const QRectF& frame);
    ~PinWindow() override;

    // Takes `view` as its content (a child filling the window).
    void setContentView(DraggableImageView* view);
    DraggableImageView* contentView() const { return view_; }

    QRectF frame() const override { return frame_; }
    // The exact centre the window was given (restore, refit), until it really moves or is
    // resized; what the state file saves.
    QPointF center() const { return center_; }
    void setCenter(QPointF center);
    void setFrameSizeKeepingCenter(QSizeF size) override;
    void setFrameOrigin(QPointF origin) override;
    double drawingMargin() const override { return margin_; }
    void setDrawingMargin(double points) override;
    void drawnShapeChanged() override;

    // Shows the window without activating it, marking it part of the desktop while unmapped.
    void orderFront();
    // Our own close; a close the window manager asks for is refused, as the owner would not know.
    void closeWindow();

public slots:
    void setCompositing(bool compositing);

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Asks for the native geometry of the frame and margin, remembering the request.
    void place();
    void request(const QRect& geometry);
    QRect nativeGeometry() const;
    bool isEchoOfRequest(const QRect& reported);
    void applyInputShape();
    void applyMask();

    QRectF frame_;
    QPointF center_;
    double margin_ = 0;
    DraggableImageView* view_ = nullptr;  // a child
    std::deque<QRect> requested_;         // native geometries asked for, oldest first
    bool placing_ = false;
    bool closing_ = false;
    bool justMapped_ = false;
    bool compositing_ = true;
};

}  // namespace corkwallery
