#include "platform/QtGraphicsContext.h"

#include "platform/ImageImpl.h"

namespace corkwallery::platform {

QColor toQColor(Color color) {
    return QColor::fromRgbF(static_cast<float>(color.red), static_cast<float>(color.green),
                            static_cast<float>(color.blue), static_cast<float>(color.alpha));
}

QRectF QtGraphicsContext::toPainter(Rect rect) const {
    return {rect.minX(), height_ - rect.maxY(), rect.width(), rect.height()};
}

void QtGraphicsContext::drawImage(const Image& image, Rect destination) {
    image.impl().draw(painter_, toPainter(destination));
}

void QtGraphicsContext::fillRect(Rect rect, CompositingOperation operation) {
    painter_.save();
    painter_.setCompositionMode(operation == CompositingOperation::SourceAtop
                                    ? QPainter::CompositionMode_SourceAtop
                                    : QPainter::CompositionMode_SourceOver);
    painter_.fillRect(toPainter(rect), toQColor(fill_));
    painter_.restore();
}

}  // namespace corkwallery::platform
