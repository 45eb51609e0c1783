#include "desktop/PinWindow.h"

#include <QMoveEvent>
#include <algorithm>
#include <cstdlib>

#include "desktop/ScreenChanges.h"
#include "platform/ScreenCoordinates.h"
#include "platform/x11/DesktopHints.h"

namespace corkwallery {

namespace {

// Requests a window manager may still owe reports for; more are never in flight in practice.
constexpr std::size_t kRememberedRequests = 64;

// A report a pixel off a request is its echo too: scaling to device pixels and back may round.
bool nearlyEqual(QPoint a, QPoint b) {
    return std::abs(a.x() - b.x()) <= 1 && std::abs(a.y() - b.y()) <= 1;
}

}  // namespace

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
                        !requested_.empty() && requested_.back() != geometry &&
                        !nativeDiffers(geometry);
    requested_.push_back(geometry);
    if (requested_.size() > kRememberedRequests)
        requested_.pop_front();
    placing_ = true;
    if (resend && platform::x11::isRunning()) {
        setFixedSize(geometry.size());  // see DesktopWindow::placeNative
        platform::x11::configureWindow(this, geometry);
    } else {
        DesktopWindow::placeNative(geometry);
    }
    if (view_ != nullptr)
        view_->setGeometry(0, 0, geometry.width(), geometry.height());
    placing_ = false;
}

// Window managers report geometry late, after later requests were made, and one report may pair
// the size of one request with the position of a later one (Qt asks the server where a window
// is when a resize is reported). So position and size are each matched to the earliest request
// that has them, and only requests before both are known to be settled. A size never asked for
// is imposed; a requested size at a position never asked for is a move.
PinWindow::Report PinWindow::classify(const QRect& reported) {
    const auto position = std::find_if(requested_.begin(), requested_.end(), [&](const QRect& r) {
        return nearlyEqual(r.topLeft(), reported.topLeft());
    });
    const auto size = std::find_if(requested_.begin(), requested_.end(), [&](const QRect& r) {
        return nearlyEqual(QPoint(r.width(), r.height()),
                           QPoint(reported.width(), reported.height()));
    });
    if (size == requested_.end())
        return Report::Imposed;
    if (position == requested_.end())
        return Report::Move;
    requested_.erase(requested_.begin(), std::min(position, size));
    return Report::Echo;
}

// A move of the window manager's own is followed; an imposed geometry is not, and is said. While
// screens change, Qt and the window manager move windows on their own: the window goes back to
// its frame once they settle.
void PinWindow::moveEvent(QMoveEvent* event) {
    DesktopWindow::moveEvent(event);
    if (placing_ || ScreenChanges::instance().isChanging())
        return;
    const Report report = classify(geometry());
    if (report == Report::Imposed)
        emit geometryImposed();
    // Only a move the user makes (a drag the window manager carries out) is theirs: a tiling
    // manager that offsets a floating window by its border moves it on its own.
    if (report != Report::Move || !platform::x11::isPointerButtonDown())
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
        classify(geometry()) == Report::Imposed)
        emit geometryImposed();
    if (view_ != nullptr)
        view_->setGeometry(rect());
}

}  // namespace corkwallery
