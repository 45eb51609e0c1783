#include "platform/PanelWidget.h"

#include <QCloseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QScreen>
#include <QtMath>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/CompositorWatch.h"
#include "platform/Panel.h"
#include "platform/QtGraphicsContext.h"
#include "platform/SurfaceWidget.h"
#include "platform/x11/DesktopWindowHints.h"
#include "platform/x11/InputShape.h"
#include "platform/x11/QtConnection.h"
#include "platform/x11/WindowGeometry.h"

namespace corkwallery::platform {

namespace {
// Requests a window manager may still owe reports for; more are never in flight in practice.
constexpr std::size_t kRememberedRequests = 64;

// A report a pixel off a request is its echo too: scaling to device pixels and back may round.
bool nearlyEqual(QPoint a, QPoint b) {
    return std::abs(a.x() - b.x()) <= 1 && std::abs(a.y() - b.y()) <= 1;
}
}  // namespace

PanelWidget::PanelWidget(Panel* panel) : panel_(panel), surface_(new SurfaceWidget(this)) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    surface_->hide();
    surface_->setMaskChangedHandler([this] {
        // Masks are not changed while the window paints.
        QMetaObject::invokeMethod(
            this, [this] { applyMask(); }, Qt::QueuedConnection);
    });
    hitShape_ = QRegion(rect());
    CompositorWatch::add(this);
}

PanelWidget::~PanelWidget() {
    CompositorWatch::remove(this);
}

void PanelWidget::place(const QRect& geometry) {
    // Qt asks nothing when its idea of the geometry (perhaps from a late report) already matches;
    // the window may still be heading elsewhere, so the request goes out directly.
    const bool resend = testAttribute(Qt::WA_WState_Created) && geometry == this->geometry() &&
                        !requested_.empty() && requested_.back() != geometry;
    requested_.push_back(geometry);
    if (requested_.size() > kRememberedRequests)
        requested_.pop_front();
    placing_ = true;
    xcb_connection_t* connection = resend ? x11::qtConnection() : nullptr;
    if (connection != nullptr) {
        // Qt's global coordinates to device pixels, as Qt scales them: about the screen's origin.
        const qreal factor = devicePixelRatioF();
        const QPoint origin = screen() != nullptr ? screen()->geometry().topLeft() : QPoint();
        const QPoint position =
            (QPointF(geometry.topLeft() - origin) * factor + QPointF(origin)).toPoint();
        x11::configureWindow(connection, static_cast<xcb_window_t>(winId()), position.x(),
                             position.y(), qRound(geometry.width() * factor),
                             qRound(geometry.height() * factor));
    } else {
        setGeometry(geometry);
    }
    surface_->setGeometry(0, 0, geometry.width(), geometry.height());
    placing_ = false;
}

// Reports come in the order the requests were made, but one report may pair the size of one
// request with the position of a later one (Qt asks the server where a window is when a resize
// is reported). Matching is therefore by the earliest request of each, and only requests before
// both are known to be settled.
bool PanelWidget::isEchoOfRequest(const QRect& reported) {
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

void PanelWidget::prepareDesktopWindow() {
    const WId id = winId();
    if (xcb_connection_t* connection = x11::qtConnection())
        x11::applyDesktopWindowHints(connection, static_cast<xcb_window_t>(id));
}

void PanelWidget::setContent(QWidget* content) {
    surface_->setContent(content);
    surface_->raise();
}

void PanelWidget::setTranslucent(bool translucent) {
    translucent_ = translucent;
    surface_->setVisible(translucent);
    applyHitShape();
}

void PanelWidget::setCastsShadow(bool casts) {
    surface_->setCastsShadow(casts);
}

void PanelWidget::setHitShape(const QRegion& shape) {
    hitShape_ = shape;
    applyHitShape();
}

void PanelWidget::applyHitShape() {
    if (!testAttribute(Qt::WA_WState_Created))
        return;  // applied once the window exists and shows
    // Without a compositor the mask is what the surface shows, so it must be made now.
    if (translucent_ && !CompositorWatch::isCompositing())
        surface_->refresh();
    applyMask();
    surface_->update();
    applyInputShape();
}

void PanelWidget::applyMask() {
    if (CompositorWatch::isCompositing()) {
        clearMask();
    } else if (!translucent_) {
        setMask(hitShape_);
    } else {
        // An empty mask would show the whole window: a window with nothing drawn shows nothing.
        const QRegion shown = surface_->surface().mask();
        setMask(shown.isEmpty() ? QRegion(-1, -1, 1, 1) : shown);
    }
}

void PanelWidget::applyInputShape() {
    xcb_connection_t* connection = x11::qtConnection();
    if (connection == nullptr)
        return;
    const qreal ratio = devicePixelRatioF();
    std::vector<xcb_rectangle_t> rectangles;
    for (const QRect& r : hitShape_) {
        const QRect pixels(
            QPoint(qFloor(r.left() * ratio), qFloor(r.top() * ratio)),
            QPoint(qCeil((r.right() + 1) * ratio) - 1, qCeil((r.bottom() + 1) * ratio) - 1));
        rectangles.push_back({static_cast<int16_t>(pixels.x()), static_cast<int16_t>(pixels.y()),
                              static_cast<uint16_t>(pixels.width()),
                              static_cast<uint16_t>(pixels.height())});
    }
    x11::setInputShape(connection, static_cast<xcb_window_t>(winId()), rectangles);
}

// A window manager that puts the window into a frame of its own may copy the input shape to the
// frame only when told the shape changed, which it can hear only once it manages the window; the
// frame needs the no-shadow mark too. The first paint comes after the window is mapped.
void PanelWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    justMapped_ = true;
}

void PanelWidget::paintEvent(QPaintEvent*) {
    if (justMapped_) {
        justMapped_ = false;
        applyInputShape();
        if (xcb_connection_t* connection = x11::qtConnection()) {
            x11::markFrameWithoutShadow(connection, static_cast<xcb_window_t>(winId()));
            // xcompmgr -c shadows no translucent window, but one it met before it was mapped
            // keeps a rectangular shadow until its size changes: a pixel more and back.
            if (translucent_ && CompositorWatch::isCompositing() && !requested_.empty()) {
                QMetaObject::invokeMethod(
                    this,
                    [this, geometry = requested_.back()] {
                        place(geometry.adjusted(0, 0, 0, 1));
                        place(geometry);
                    },
                    Qt::QueuedConnection);
            }
        }
    }
    if (panel_ == nullptr)
        return;
    const Color background = panel_->backgroundColor();
    if (background.alpha <= 0 && !panel_->isOpaque())
        return;
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), toQColor(background));
}

void PanelWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    surface_->setGeometry(rect());
}

void PanelWidget::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (panel_ == nullptr || placing_ || isEchoOfRequest(geometry()))
        return;
    panel_->nativeWindowMoved(geometry().topLeft());
}

// Only the panel closes its window; a close asked for by the window manager is refused, since the
// window's owner would not know it had gone.
void PanelWidget::closeEvent(QCloseEvent* event) {
    if (closeAllowed_) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace corkwallery::platform
