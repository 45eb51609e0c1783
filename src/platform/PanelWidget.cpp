#include "platform/PanelWidget.h"

#include <QCloseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QtMath>
#include <vector>

#include "platform/CompositorWatch.h"
#include "platform/Panel.h"
#include "platform/QtGraphicsContext.h"
#include "platform/ScreenCoordinates.h"
#include "platform/x11/DesktopWindowHints.h"
#include "platform/x11/InputShape.h"
#include "platform/x11/QtConnection.h"

namespace corkwallery::platform {

PanelWidget::PanelWidget(Panel* panel) : panel_(panel) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    hitShape_ = QRegion(rect());
    CompositorWatch::add(this);
}

PanelWidget::~PanelWidget() {
    CompositorWatch::remove(this);
}

void PanelWidget::prepareDesktopWindow() {
    const WId id = winId();
    if (xcb_connection_t* connection = x11::qtConnection())
        x11::applyDesktopWindowHints(connection, static_cast<xcb_window_t>(id));
}

void PanelWidget::setHitShape(const QRegion& shape) {
    hitShape_ = shape;
    applyHitShape();
}

void PanelWidget::applyHitShape() {
    if (!testAttribute(Qt::WA_WState_Created))
        return;  // applied once the window exists and shows
    if (CompositorWatch::isCompositing())
        clearMask();
    else
        setMask(hitShape_);
    applyInputShape();
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
// frame only when told the shape changed, which it can hear only once it manages the window. The
// first paint comes after the window is mapped, so after that.
void PanelWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    inputShapeAfterMap_ = true;
}

void PanelWidget::paintEvent(QPaintEvent*) {
    if (inputShapeAfterMap_) {
        inputShapeAfterMap_ = false;
        applyInputShape();
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

void PanelWidget::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (panel_ == nullptr || event->pos() == placed_)
        return;
    placed_ = event->pos();
    panel_->nativeWindowMoved(fromQt(QRectF(geometry())).origin);
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
