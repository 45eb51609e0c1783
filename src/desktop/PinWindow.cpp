#include "desktop/PinWindow.h"

#include <QMoveEvent>

#include "desktop/ScreenChanges.h"
#include "platform/DesktopSurface.h"
#include "platform/ScreenCoordinates.h"

namespace corkwallery {

PinWindow::PinWindow(const QRectF& frame) : DesktopWindow(frame), center_(frame.center()) {
    placeNative(nativeGeometry());
}

// The view goes first, while the window it talks to is still whole.
PinWindow::~PinWindow() {
    delete view_;
}

void PinWindow::setContentView(DraggableImageView* view) {
    view_ = view;
    view->setParent(this);
    view->setHostWindow(this);
    view->setCompositing(isCompositing());
    view->setGeometry(QRect(QPoint(0, 0), nativeGeometry().size()));
    view->show();
    shapesChanged();
}

void PinWindow::setCenter(QPointF center) {
    center_ = center;
    const QSizeF size = frame().size();
    placeFrame(QRectF(center.x() - size.width() * 0.5, center.y() - size.height() * 0.5,
                      size.width(), size.height()));
}

void PinWindow::setFrameSizeKeepingCenter(QSizeF size) {
    placeFrame(QRectF(center_.x() - size.width() * 0.5, center_.y() - size.height() * 0.5,
                      size.width(), size.height()));
}

// Moving repaints nothing: the window's contents travel with it.
void PinWindow::setFrameOrigin(QPointF origin) {
    placeFrame(QRectF(origin, frame().size()));
    center_ = frame().center();
}

QRegion PinWindow::inputShape() const {
    return view_ != nullptr ? view_->hitRegion() : QRegion(rect());
}

QRegion PinWindow::visibleShape() const {
    return view_ != nullptr ? view_->drawnRegion() : QRegion();
}

void PinWindow::compositingChanged() {
    if (view_ != nullptr)
        view_->setCompositing(isCompositing());
}

void PinWindow::placeNative(const QRect& geometry) {
    // Qt asks nothing when its idea of the geometry (perhaps from a late report) already matches;
    // the window may still be heading elsewhere, so the request goes out directly.
    const bool resend = testAttribute(Qt::WA_WState_Created) && geometry == this->geometry() &&
                        requested_.differsFromLast(geometry) && !nativeDiffers(geometry);
    requested_.asked(geometry);
    placing_ = true;
    setFixedSize(geometry.size());  // see DesktopWindow::placeNative
    if (!resend || !surface().placeDirectly(geometry))
        DesktopWindow::placeNative(geometry);
    if (view_ != nullptr)
        view_->setGeometry(0, 0, geometry.width(), geometry.height());
    placing_ = false;
}

// A move of the window manager's own is followed; an imposed geometry is not, and is said. While
// screens change, Qt and the window manager move windows on their own: the window goes back to
// its frame once they settle.
void PinWindow::moveEvent(QMoveEvent* event) {
    DesktopWindow::moveEvent(event);
    if (placing_ || ScreenChanges::instance().isChanging())
        return;
    const auto report = requested_.classify(geometry());
    if (report == GeometryRequests::Report::Imposed)
        emit geometryImposed();
    // Only a move the user makes (a drag the window manager carries out) is theirs: a tiling
    // manager that offsets a floating window by its border moves it on its own.
    if (report != GeometryRequests::Report::Move || !surface().isPointerButtonDown())
        return;
    const QRectF moved =
        platform::screen::fromQt(QRectF(QRect(geometry().topLeft(), nativeGeometry().size())));
    adoptFrame(
        QRectF(moved.x() + margin(), moved.y() + margin(), frame().width(), frame().height()));
    center_ = frame().center();
    emit movedByWindowManager();
}

void PinWindow::resizeEvent(QResizeEvent* event) {
    DesktopWindow::resizeEvent(event);
    if (!placing_ && !ScreenChanges::instance().isChanging() &&
        requested_.classify(geometry()) == GeometryRequests::Report::Imposed)
        emit geometryImposed();
    if (view_ != nullptr)
        view_->setGeometry(rect());
}

}  // namespace corkwallery
