#pragma once

#include <QRectF>

#include "desktop/DesktopWindow.h"
#include "desktop/DraggableImageView.h"
#include "desktop/GeometryRequests.h"

namespace corkwallery {

// A pin's window on the desktop, holding its photo view. Its frame is kept exactly; the window
// takes clicks (and without a compositor shows pixels) only where the view draws. It tells its
// own requests' late echoes from the moves the user makes through the window manager (a drag),
// which it follows and reports, and from geometries the window manager imposes on its own (a
// tiling manager's tile or border offset), which it never takes as its frame.
class PinWindow final : public DesktopWindow, public DraggableImageView::Window {
    Q_OBJECT
public:
    // A hidden window with this frame (screen points).
    explicit PinWindow(const QRectF& frame);
    ~PinWindow() override;

    // Takes `view` as its content (a child filling the window).
    void setContentView(DraggableImageView* view);
    DraggableImageView* contentView() const { return view_; }

    QRectF frame() const override { return DesktopWindow::frame(); }
    // The exact centre the window was given (restore, refit), until it really moves or is
    // resized; what the state file saves.
    QPointF center() const { return center_; }
    void setCenter(QPointF center);
    void setFrameSizeKeepingCenter(QSizeF size) override;
    void setFrameOrigin(QPointF origin) override;
    double drawingMargin() const override { return margin(); }
    void setDrawingMargin(double points) override { setMargin(points); }
    void drawnShapeChanged() override { shapesChanged(); }

signals:
    // The window manager moved the window (an Alt-drag of its own, say).
    void movedByWindowManager();
    // The window manager gave the window a size it never asked for: it places windows itself.
    void geometryImposed();

protected:
    QRegion inputShape() const override;
    QRegion visibleShape() const override;
    void compositingChanged() override;
    void placeNative(const QRect& geometry) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPointF center_;
    DraggableImageView* view_ = nullptr;  // a child
    GeometryRequests requested_;
    bool placing_ = false;
};

}  // namespace corkwallery
