#include "platform/SurfaceWidget.h"

#include <QPaintEvent>
#include <QPainter>
#include <cmath>

#include "platform/CompositorWatch.h"

namespace corkwallery::platform {

SurfaceWidget::SurfaceWidget(QWidget* window) : QWidget(window) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
}

void SurfaceWidget::setContent(QWidget* content) {
    content_ = content;
    update();
}

void SurfaceWidget::setCastsShadow(bool casts) {
    castsShadow_ = casts;
    update();
}

bool SurfaceWidget::refresh() {
    return refresh(devicePixelRatioF());
}

bool SurfaceWidget::refresh(qreal ratio) {
    QImage drawn(static_cast<int>(std::ceil(width() * ratio)),
                 static_cast<int>(std::ceil(height() * ratio)),
                 QImage::Format_ARGB32_Premultiplied);
    drawn.setDevicePixelRatio(ratio);
    drawn.fill(Qt::transparent);
    if (content_ != nullptr)
        content_->render(&drawn, content_->pos(), QRegion(), QWidget::DrawChildren);
    return surface_.update(drawn, CompositorWatch::isCompositing(), castsShadow_);
}

// The content has just drawn itself below; this replaces it with the surface. A window that only
// moves is not painted again, and a paint whose content did not change reuses the surface.
void SurfaceWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // Drawn for the device painted on: the window, or an image of another density.
    const QRegion maskBefore = surface_.mask();
    if (refresh(painter.device()->devicePixelRatio())) {
        // A shadow reaches past the part that changed: show the whole of the new surface.
        if (event->region() != QRegion(rect()))
            update();
        if (surface_.mask() != maskBefore && maskChanged_)
            maskChanged_();
    }
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPointF(0, 0), surface_.image());
}

}  // namespace corkwallery::platform
