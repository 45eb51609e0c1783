#include "app/DesktopCard.h"

#include <QCloseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "platform/CompositorWatch.h"
#include "platform/ScreenCoordinates.h"
#include "photo/WindowSurface.h"
#include "platform/x11/DesktopWindow.h"

namespace corkwallery {

namespace surface = surface;

namespace {
QSize devicePixels(QSizeF points, qreal ratio) {
    return {static_cast<int>(std::ceil(points.width() * ratio)),
            static_cast<int>(std::ceil(points.height() * ratio))};
}
}  // namespace

DesktopCard::DesktopCard(QSizeF cardSize, double cornerRadius, double backgroundAlpha,
                         bool castsShadow)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint |
                           Qt::WindowDoesNotAcceptFocus),
      frame_(QPointF(0, 0), cardSize),
      cornerRadius_(cornerRadius),
      backgroundAlpha_(backgroundAlpha),
      castsShadow_(castsShadow) {
    // Before anything makes the native window, or it gets no alpha channel.
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    auto& watch = platform::CompositorWatch::instance();
    compositing_ = watch.isCompositing();
    connect(&watch, &platform::CompositorWatch::compositingChanged, this,
            &DesktopCard::setCompositing);
    setFrame(frame_);
}

DesktopCard::~DesktopCard() = default;

double DesktopCard::margin() const {
    return castsShadow_ ? surface::kShadowRoom : 0;
}

void DesktopCard::setFrame(const QRectF& frame) {
    frame_ = frame;
    const double m = margin();
    setGeometry(platform::screen::toNativeGeometry(frame.adjusted(-m, -m, m, m)));
    updateMask();
}

QRect DesktopCard::cardRect() const {
    return QRectF(QPointF(margin(), margin()), frame_.size()).toRect();
}

void DesktopCard::orderFront() {
    // Window managers forget a withdrawn window's desktop states, so they go on before each show.
    if (!isVisible()) {
        platform::x11::prepareDesktopWindow(this);
        platform::x11::setInputShape(this, cardRect());
    }
    show();
    raise();
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

void DesktopCard::setCompositing(bool compositing) {
    compositing_ = compositing;
    background_ = QImage();
    updateMask();
    update();
}

QImage DesktopCard::drawCard(qreal ratio) const {
    QImage card(devicePixels(size(), ratio), QImage::Format_ARGB32_Premultiplied);
    card.setDevicePixelRatio(ratio);
    card.fill(Qt::transparent);
    QPainter painter(&card);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(cardRect()), cornerRadius_, cornerRadius_);
    painter.fillPath(outline, QColor::fromRgbF(0, 0, 0, backgroundAlpha_));
    return card;
}

// Without a compositor the X server would show the transparent corners black.
void DesktopCard::updateMask() {
    if (compositing_) {
        clearMask();
        return;
    }
    QRegion cut;
    surface::cutOut(drawCard(1), &cut);
    setMask(cut);
}

void DesktopCard::paintEvent(QPaintEvent*) {
    if (justMapped_) {
        justMapped_ = false;
        // Window managers that frame the window read these only once they manage it.
        platform::x11::setInputShape(this, cardRect());
        platform::x11::markFrameWithoutShadow(this);
        // xcompmgr -c shadows no translucent window, but one it met before the window was mapped
        // keeps a rectangular shadow until the size changes: a pixel more and back.
        if (compositing_ && platform::x11::isRunning()) {
            QTimer::singleShot(0, this, [this, placed = geometry()] {
                setGeometry(placed.adjusted(0, 0, 0, 1));
                setGeometry(placed);
            });
        }
    }
    QPainter painter(this);
    const qreal ratio = painter.device()->devicePixelRatioF();
    if (background_.isNull() || background_.devicePixelRatio() != ratio ||
        background_.size() != devicePixels(size(), ratio)) {
        const QImage card = drawCard(ratio);
        QRegion unused;
        background_ = !compositing_  ? surface::cutOut(card, &unused)
                      : castsShadow_ ? surface::withShadow(card)
                                     : card;
    }
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPointF(0, 0), background_);
}

void DesktopCard::mousePressEvent(QMouseEvent*) {
    emit clicked();
}

void DesktopCard::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    justMapped_ = true;
}

void DesktopCard::closeEvent(QCloseEvent* event) {
    event->ignore();
}

}  // namespace corkwallery
