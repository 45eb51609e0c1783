#include "platform/ButtonWidget.h"

#include <QPainter>

#include "platform/ImageDrawing.h"

namespace corkwallery::platform {

namespace {
constexpr double kPressedOpacity = 0.5;
}

ButtonWidget::ButtonWidget(QWidget* parent) : QToolButton(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setAutoRaise(true);
}

void ButtonWidget::setImage(std::optional<Image> image) {
    image_ = std::move(image);
    if (image_ && image_->accessibilityDescription())
        setAccessibleName(QString::fromStdString(*image_->accessibilityDescription()));
    update();
}

void ButtonWidget::setTint(std::optional<Color> tint) {
    tint_ = tint;
    update();
}

void ButtonWidget::paintEvent(QPaintEvent*) {
    if (!image_)
        return;
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    if (isDown())
        painter.setOpacity(kPressedOpacity);
    drawImage(painter, *image_, centredImageRect(image_->size(), QRectF(rect())), tint_);
}

}  // namespace corkwallery::platform
