#pragma once

#include <QPainter>

#include "platform/Image.h"

namespace corkwallery::platform {

// A y-up GraphicsContext over a QPainter whose y axis points down; `height` is the height of the
// drawing area in points.
class QtGraphicsContext final : public GraphicsContext {
public:
    QtGraphicsContext(QPainter& painter, double height) : painter_(painter), height_(height) {}

    void drawImage(const Image& image, Rect destination) override;
    void setFillColor(Color color) override { fill_ = color; }
    void fillRect(Rect rect, CompositingOperation operation) override;

private:
    QRectF toPainter(Rect rect) const;

    QPainter& painter_;
    double height_;
    Color fill_ = Color::black();
};

QColor toQColor(Color color);

}  // namespace corkwallery::platform
