#include "pins/PinWindow.h"

#include <QCloseEvent>
#include <QMoveEvent>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

#include "platform/CompositorWatch.h"
#include "platform/ScreenCoordinates.h"
#include "platform/x11/DesktopWindow.h"

namespace corkwallery {

namespace {

constexpr int kSizeNudgeMs = 250;

}  // namespace

namespace x11 = platform::x11;

namespace {
// Requests a window manager may still owe reports for; more are never in flight in practice.
constexpr std::size_t kRememberedRequests = 64;

// A report a pixel off a request is its echo too: scaling to device pixels and back may round.
bool nearlyEqual(QPoint a, QPoint b) {
    return std::abs(a.x() - b.x()) <= 1 && std::abs(a.y() - b.y()) <= 1;
}
}  // namespace

PinWindow::PinWindow(const QRectF& frame)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint |
                           Qt::WindowDoesNotAcceptFocus),
      frame_(frame),
      center_(frame.center()) {
    // Before anything makes the native window, or it gets no alpha channel.
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    auto& compositor = platform::CompositorWatch::instance();
    compositing_ = compositor.isCompositing();
    connect(&compositor, &platform::CompositorWatch::compositingChanged, this,
            &PinWindow::setCompositing);
    place();
}

// The view goes first, while the window it talks to is still whole.
PinWindow::~PinWindow() {
    delete view_;
}

void PinWindow::setContentView(DraggableImageView* view) {
    view_ = view;
    view->setParent(this);
    view->setHostWindow(this);
    view->setCompositing(compositing_);
    view->setGeometry(QRect(QPoint(0, 0), nativeGeometry().size()));
    view->show();
    drawnShapeChanged();
}

void PinWindow::setCenter(QPointF center) {
    center_ = center;
    frame_.moveTo(center.x() - frame_.width() * 0.5, center.y() - frame_.height() * 0.5);
    place();
}

void PinWindow::setFrameSizeKeepingCenter(QSizeF size) {
    frame_ = QRectF(center_.x() - size.width() * 0.5, center_.y() - size.height() * 0.5,
                    size.width(), size.height());
    place();
}

// Moving repaints nothing: the window's contents travel with it.
void PinWindow::setFrameOrigin(QPointF origin) {
    frame_.moveTo(origin);
    center_ = frame_.center();
    place();
}

void PinWindow::setDrawingMargin(double points) {
    if (points == margin_)
        return;
    margin_ = points;
    place();
}

// The view reports here outside its paint, its cut already made.
void PinWindow::drawnShapeChanged() {
    if (!testAttribute(Qt::WA_WState_Created))
        return;  // applied before the window shows
    applyInputShape();
    applyMask();
}

void PinWindow::applyInputShape() {
    x11::setInputShape(this, view_ != nullptr ? view_->hitRegion() : QRegion(rect()));
}

// Without a compositor transparent pixels show black: the window shows only what the view draws.
void PinWindow::applyMask() {
    if (compositing_ || view_ == nullptr) {
        clearMask();
        return;
    }
    // An empty mask would show the whole window: a window with nothing drawn shows nothing.
    const QRegion drawn = view_->drawnRegion();
    setMask(drawn.isEmpty() ? QRegion(-1, -1, 1, 1) : drawn);
}

// Window managers forget the desktop states of a withdrawn window, so they go on again before
// every show. The input shape goes on before the window maps too: a window manager that copies
// it to its frame reads it when it takes the window on.
void PinWindow::orderFront() {
    if (!isVisible()) {
        x11::prepareDesktopWindow(this);
        applyInputShape();
        applyMask();
    }
    show();
    raise();
}

void PinWindow::closeWindow() {
    closing_ = true;
    close();
    closing_ = false;
}

void PinWindow::setCompositing(bool compositing) {
    if (compositing == compositing_)
        return;
    compositing_ = compositing;
    if (view_ != nullptr)
        view_->setCompositing(compositing);
    if (testAttribute(Qt::WA_WState_Created)) {
        applyInputShape();
        applyMask();
    }
}

QRect PinWindow::nativeGeometry() const {
    return platform::screen::toNativeGeometry(
        frame_.adjusted(-margin_, -margin_, margin_, margin_));
}

void PinWindow::place() {
    request(nativeGeometry());
}

void PinWindow::request(const QRect& geometry) {
    // Qt asks nothing when its idea of the geometry (perhaps from a late report) already matches;
    // the window may still be heading elsewhere, so the request goes out directly.
    const bool resend = testAttribute(Qt::WA_WState_Created) && geometry == this->geometry() &&
                        !requested_.empty() && requested_.back() != geometry;
    requested_.push_back(geometry);
    if (requested_.size() > kRememberedRequests)
        requested_.pop_front();
    placing_ = true;
    if (resend && x11::isRunning()) {
        x11::configureWindow(this, geometry);
    } else {
        setGeometry(geometry);
    }
    if (view_ != nullptr)
        view_->setGeometry(0, 0, geometry.width(), geometry.height());
    placing_ = false;
}

// Window managers report geometry late, after later requests were made, and one report may pair
// the size of one request with the position of a later one (Qt asks the server where a window
// is when a resize is reported). So position and size are each matched to the earliest request
// that has them, and only requests before both are known to be settled.
bool PinWindow::isEchoOfRequest(const QRect& reported) {
    const auto position = std::find_if(requested_.begin(), requested_.end(), [&](const QRect& r) {
        return nearlyEqual(r.topLeft(), reported.topLeft());
    });
    const auto size = std::find_if(requested_.begin(), requested_.end(), [&](const QRect& r) {
        return nearlyEqual(QPoint(r.width(), r.height()),
                           QPoint(reported.width(), reported.height()));
    });
    if (position == requested_.end() || size == requested_.end())
        return false;
    requested_.erase(requested_.begin(), std::min(position, size));
    return true;
}

// Anything but the echo of a request is the window manager moving the window: followed.
void PinWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (placing_ || isEchoOfRequest(geometry()))
        return;
    const QRectF moved =
        platform::screen::fromQt(QRectF(QRect(geometry().topLeft(), nativeGeometry().size())));
    frame_.moveTo(moved.x() + margin_, moved.y() + margin_);
    center_ = frame_.center();
}

void PinWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (view_ != nullptr)
        view_->setGeometry(rect());
}

// A window manager that puts the window into a frame of its own may copy the input shape to the
// frame only when told the shape changed, which it can hear only once it manages the window; the
// frame needs the no-shadow mark too. The first paint comes after the window is mapped.
void PinWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    justMapped_ = true;
}

void PinWindow::paintEvent(QPaintEvent*) {
    if (!justMapped_)
        return;
    justMapped_ = false;
    applyInputShape();
    x11::markFrameWithoutShadow(this);
    // xcompmgr -c shadows no translucent window, but one it met before it was mapped keeps a
    // rectangular shadow until its size changes: a pixel more, and back a moment later, since
    // openbox merges requests that wait together and would change nothing.
    if (x11::isRunning() && compositing_) {
        QTimer::singleShot(0, this, [this] {
            request(nativeGeometry().adjusted(0, 0, 0, 1));
            QTimer::singleShot(kSizeNudgeMs, this, &PinWindow::place);
        });
    }
}

// Only the owner closes its window; a close asked for by the window manager is refused, since the
// owner would not know the window had gone.
void PinWindow::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace corkwallery
