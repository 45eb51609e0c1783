#include "platform/Panel.h"

#include <algorithm>

#include <QPolygonF>
#include <QRectF>
#include <QRegion>

#include "platform/PanelWidget.h"
#include "platform/ScreenCoordinates.h"
#include "platform/ViewWidget.h"
#include "platform/WindowSurface.h"

namespace corkwallery::platform {

Panel::Panel(Rect contentRect)
    : frame_(contentRect),
      center_{contentRect.midX(), contentRect.midY()},
      widget_(new PanelWidget(this)) {
    widget_->setCastsShadow(hasShadow_);
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
    widget_->setTranslucent(!opaque);
    widget_->update();
    marginChanged();
}

void Panel::setHasShadow(bool shadow) {
    hasShadow_ = shadow;
    widget_->setCastsShadow(shadow);
    marginChanged();
}

double Panel::drawingMargin() const {
    return drawingMargin_ + (hasShadow_ && !opaque_ ? WindowSurface::kShadowRoom : 0);
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
    widget_->setContent(contentView_->widget());
    contentView_->attachTo(this);
    contentView_->setFrame(Rect({0, 0}, frame_.size));
    contentView_->widget()->show();
    updateHitRegion();
}

void Panel::setFrame(Rect frame, bool display) {
    center_ = {frame.midX(), frame.midY()};
    resizeFrame(frame, display);
}

void Panel::setFrameSizeKeepingCenter(Size size, bool display) {
    resizeFrame(
        Rect(center_.x - size.width * 0.5, center_.y - size.height * 0.5, size.width, size.height),
        display);
}

void Panel::resizeFrame(Rect frame, bool display) {
    frame_ = frame;
    placeNativeWindow();
    if (contentView_)
        contentView_->setFrame(Rect({0, 0}, frame.size));
    updateHitRegion();
    if (display)
        widget_->update();
}

void Panel::setDrawingMargin(double points) {
    drawingMargin_ = points;
    marginChanged();
}

void Panel::marginChanged() {
    const double margin = drawingMargin();
    if (margin == placedMargin_)
        return;
    placedMargin_ = margin;
    placeNativeWindow();
    if (contentView_)
        contentView_->placeWidget();
    updateHitRegion();
}

// Moving repaints nothing: the window's contents travel with it.
void Panel::setFrameOrigin(Point origin) {
    frame_.origin = origin;
    center_ = {frame_.midX(), frame_.midY()};
    placeNativeWindow();
}

void Panel::setCenter(Point center) {
    center_ = center;
    frame_.origin = {center.x - frame_.width() * 0.5, center.y - frame_.height() * 0.5};
    placeNativeWindow();
}

void Panel::updateHitRegion() {
    const double m = drawingMargin();
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

void Panel::nativeWindowMoved(QPoint topLeft) {
    const QRect placed = toQtWindowGeometry(nativeFrame());
    const Point origin = fromQt(QRectF(QRect(topLeft, placed.size()))).origin;
    const double m = drawingMargin();
    frame_.origin = {origin.x + m, origin.y + m};
    center_ = {frame_.midX(), frame_.midY()};
}

Rect Panel::nativeFrame() const {
    const double m = drawingMargin();
    return {frame_.minX() - m, frame_.minY() - m, frame_.width() + 2 * m, frame_.height() + 2 * m};
}

void Panel::placeNativeWindow() {
    widget_->place(toQtWindowGeometry(nativeFrame()));
}

}  // namespace corkwallery::platform
