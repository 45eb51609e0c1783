#include "platform/Panel.h"

#include <algorithm>

#include <QPolygonF>
#include <QRectF>
#include <QRegion>

#include "platform/PanelWidget.h"
#include "platform/ScreenCoordinates.h"
#include "platform/ViewWidget.h"

namespace corkwallery::platform {

Panel::Panel(Rect contentRect) : frame_(contentRect), widget_(new PanelWidget(this)) {
    placeNativeWindow();
}

Panel::~Panel() {
    contentView_.reset();
    widget_->detach();
    disposeWidget(widget_);
}

void Panel::setLevel(WindowLevel level) {
    level_ = level;
    widget_->setWindowFlag(Qt::WindowStaysOnBottomHint, level == WindowLevel::DesktopIcon);
}

// Translucency must be chosen before the native window exists, or it gets no alpha channel.
void Panel::setOpaque(bool opaque) {
    opaque_ = opaque;
    widget_->setAttribute(Qt::WA_TranslucentBackground, !opaque);
    widget_->update();
}

void Panel::setBackgroundColor(Color color) {
    background_ = color;
    widget_->update();
}

void Panel::setContentView(std::unique_ptr<View> view) {
    contentView_ = std::move(view);
    if (!contentView_)
        return;
    contentView_->widget()->setParent(widget_);
    contentView_->attachTo(this);
    contentView_->setFrame(Rect({0, 0}, frame_.size));
    contentView_->widget()->show();
    updateHitRegion();
}

void Panel::setFrame(Rect frame, bool display) {
    frame_ = frame;
    placeNativeWindow();
    if (contentView_)
        contentView_->setFrame(Rect({0, 0}, frame.size));
    updateHitRegion();
    if (display)
        widget_->update();
}

// Moving repaints nothing: the window's contents travel with it.
void Panel::setDrawingMargin(double points) {
    if (points == drawingMargin_)
        return;
    drawingMargin_ = points;
    placeNativeWindow();
    if (contentView_)
        contentView_->placeWidget();
    updateHitRegion();
}

void Panel::setFrameOrigin(Point origin) {
    frame_.origin = origin;
    const QPoint position = toQtWindowGeometry(nativeFrame()).topLeft();
    widget_->setPlacedPosition(position);
    widget_->move(position);
}

void Panel::updateHitRegion() {
    const double m = drawingMargin_;
    if (!contentView_) {
        widget_->setHitShape(QRectF(m, m, frame_.width(), frame_.height()).toAlignedRect());
        return;
    }
    // Content coordinates (y up from the frame's bottom edge) to the native window's (y down).
    // Outlines are cut to the window first: a photo may be far larger than its window.
    const double h = frame_.height();
    const QRect native = toQtWindowGeometry(nativeFrame());
    const QPolygonF window(QRectF(-1, -1, native.width() + 2, native.height() + 2));
    constexpr double kFar = 1e6;
    QRegion shape;
    for (const Polygon& outline : contentView_->hitRegion()) {
        QPolygonF polygon;
        for (const Point& p : outline)
            polygon << QPointF(std::clamp(m + p.x, -kFar, kFar),
                               std::clamp(m + h - p.y, -kFar, kFar));
        shape += QRegion(polygon.intersected(window).toPolygon(), Qt::WindingFill);
    }
    widget_->setHitShape(shape);
}

// Window managers forget the desktop states of a withdrawn window, so they go on again before
// every show. The hit shape goes on before the window maps too: a window manager that copies it
// to its frame reads it when it takes the window on.
void Panel::orderFront() {
    if (!widget_->isVisible()) {
        if (level_ == WindowLevel::DesktopIcon)
            widget_->prepareDesktopWindow();
        else
            widget_->winId();
        widget_->applyHitShape();
    }
    widget_->show();
    widget_->raise();
}

void Panel::close() {
    widget_->allowClose(true);
    widget_->close();
    widget_->allowClose(false);
}

bool Panel::isVisible() const {
    return widget_->isVisible();
}

void Panel::nativeWindowMoved(Point nativeOrigin) {
    frame_.origin = {nativeOrigin.x + drawingMargin_, nativeOrigin.y + drawingMargin_};
}

Rect Panel::nativeFrame() const {
    const double m = drawingMargin_;
    return {frame_.minX() - m, frame_.minY() - m, frame_.width() + 2 * m, frame_.height() + 2 * m};
}

void Panel::placeNativeWindow() {
    const QRect geometry = toQtWindowGeometry(nativeFrame());
    widget_->setPlacedPosition(geometry.topLeft());
    widget_->setGeometry(geometry);
}

}  // namespace corkwallery::platform
