#include "platform/ImageView.h"

#include "platform/ImageViewWidget.h"
#include "platform/ViewWidget.h"

namespace corkwallery::platform {

ImageView::ImageView(Rect frame) : View(frame), picture_(new ImageViewWidget(widget())) {
    picture_->setGeometry(widget()->rect());
}

void ImageView::setImage(std::optional<Image> image) {
    image_ = image;
    picture_->setImage(std::move(image));
}

void ImageView::setContentTintColor(std::optional<Color> color) {
    tint_ = color;
    picture_->setTint(color);
}

void ImageView::layout() {
    picture_->setGeometry(widget()->rect());
}

}  // namespace corkwallery::platform
