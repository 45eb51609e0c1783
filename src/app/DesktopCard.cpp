#include "app/DesktopCard.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "desktop/WindowSurface.h"

namespace corkwallery {

namespace {

QSize devicePixels(QSizeF points, qreal ratio) {
    return {static_cast<int>(std::ceil(points.width() * ratio)),
            static_cast<int>(std::ceil(points.height() * ratio))};
}

}  // namespace

DesktopCard::DesktopCard(QSizeF cardSize, double cornerRadius, double backgroundAlpha,
                         bool castsShadow, Focus focus)
    : DesktopWindow(QRectF(QPointF(0, 0), cardSize), castsShadow ? surface::kShadowRoom : 0, focus),
      cornerRadius_(cornerRadius),
      backgroundAlpha_(backgroundAlpha),
      castsShadow_(castsShadow) {}

DesktopCard::~DesktopCard() = default;

void DesktopCard::setFrame(const QRectF& frame) {
    placeFrame(frame);
    shapesChanged();
}

QRect DesktopCard::cardRect() const {
    return QRectF(QPointF(margin(), margin()), frame().size()).toRect();
}

QPixmap DesktopCard::symbolPicture(std::string_view name, double pointSize,
                                   SymbolArt::Weight weight, const QColor& color, QSizeF box,
                                   qreal ratio) {
    QPixmap picture((box * ratio).toSize());
    picture.fill(Qt::transparent);
    const QSizeF natural = SymbolArt::size(name, pointSize);
    if (natural.isEmpty())
        return picture;
    const QSizeF shown = natural.scaled(natural.boundedTo(box), Qt::KeepAspectRatio);
    QColor opaque = color;
    opaque.setAlphaF(1);
    QPainter painter(&picture);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.setOpacity(color.alphaF());
    const QPointF corner((box.width() - shown.width()) / 2, (box.height() - shown.height()) / 2);
    painter.drawImage(
        QRectF(corner * ratio, shown * ratio),
        SymbolArt::render(name, pointSize, weight, devicePixels(shown, ratio), opaque));
    picture.setDevicePixelRatio(ratio);
    return picture;
}

QImage DesktopCard::drawCard(qreal ratio) const {
    QImage card(devicePixels(size(), ratio), QImage::Format_ARGB32_Premultiplied);
    card.setDevicePixelRatio(ratio);
    card.fill(Qt::transparent);
    QPainter painter(&card);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(cardRect()), cornerRadius_, cornerRadius_);
    painter.fillPath(outline, QColor::fromRgbF(0, 0, 0, static_cast<float>(backgroundAlpha_)));
    return card;
}

QRegion DesktopCard::visibleShape() const {
    QRegion cut;
    surface::cutOut(drawCard(1), &cut);
    return cut;
}

void DesktopCard::paintEvent(QPaintEvent* event) {
    DesktopWindow::paintEvent(event);
    QPainter painter(this);
    const qreal ratio = painter.device()->devicePixelRatioF();
    if (background_.isNull() || background_.devicePixelRatio() != ratio ||
        background_.size() != devicePixels(size(), ratio)) {
        const QImage card = drawCard(ratio);
        QRegion unused;
        background_ = !isCompositing() ? surface::cutOut(card, &unused)
                      : castsShadow_   ? surface::withShadow(card)
                                       : card;
    }
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPointF(0, 0), background_);
}

void DesktopCard::mousePressEvent(QMouseEvent* event) {
    DesktopWindow::mousePressEvent(event);
    event->accept();
    emit clicked();
}

}  // namespace corkwallery
