#include "platform/ImageViewWidget.h"

#include <QPainter>

#include "platform/ImageDrawing.h"

namespace corkwallery::platform {

ImageViewWidget::ImageViewWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    // Clicks belong to the view underneath, as for any part of a card.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ImageViewWidget::setImage(std::optional<Image> image) {
    image_ = std::move(image);
    update();
}

void ImageViewWidget::setTint(std::optional<Color> tint) {
    tint_ = tint;
    update();
}

void ImageViewWidget::paintEvent(QPaintEvent*) {
    if (!image_)
        return;
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    drawImage(painter, *image_, centredImageRect(image_->size(), QRectF(rect())), tint_);
}

}  // namespace corkwallery::platform
