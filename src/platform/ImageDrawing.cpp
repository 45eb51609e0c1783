#include "platform/ImageDrawing.h"

#include <algorithm>
#include <cmath>

#include "platform/ImageImpl.h"
#include "platform/QtGraphicsContext.h"

namespace corkwallery::platform {

QRectF centredImageRect(Size image, const QRectF& box) {
    if (image.width <= 0 || image.height <= 0)
        return {box.center(), QSizeF(0, 0)};
    const double scale = std::min({1.0, box.width() / image.width, box.height() / image.height});
    const double w = image.width * scale;
    const double h = image.height * scale;
    return {box.center().x() - w / 2, box.center().y() - h / 2, w, h};
}

void drawImage(QPainter& painter, const Image& image, const QRectF& target,
               std::optional<Color> tint) {
    if (!tint) {
        image.impl().draw(painter, target);
        return;
    }
    const QTransform t = painter.deviceTransform();
    const QSize pixels(
        std::max(1, static_cast<int>(std::ceil(target.width() * std::hypot(t.m11(), t.m12())))),
        std::max(1, static_cast<int>(std::ceil(target.height() * std::hypot(t.m21(), t.m22())))));
    QImage rendered = image.impl().render(pixels);
    if (rendered.isNull())
        return;
    {
        QPainter tinter(&rendered);
        // Source-atop keeps the picture's coverage and replaces its colour...
        tinter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        tinter.fillRect(rendered.rect(), toQColor({tint->red, tint->green, tint->blue, 1}));
        // ...and destination-in scales that coverage by the tint's alpha.
        if (tint->alpha < 1) {
            tinter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            tinter.fillRect(rendered.rect(), toQColor(Color::black(tint->alpha)));
        }
    }
    painter.drawImage(target, rendered);
}

}  // namespace corkwallery::platform
