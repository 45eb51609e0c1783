#include "platform/ScreenCoordinates.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "platform/wayland/LayerShell.h"

namespace corkwallery::platform::screen {

namespace {

// X11 carries window positions and sizes in 16 bits; anything past that is far off every screen.
constexpr double kLargestCoordinate = 32000;

int clampedRound(double value, double lowest) {
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::lround(std::clamp(value, lowest, kLargestCoordinate)));
}

}  // namespace

// Wayland marks no output primary (Qt takes the first it hears of): the one at the layout's origin
// stands for it, as the primary monitor usually does on X11.
QScreen* primaryScreen() {
    if (wayland::isRunning())
        if (QScreen* atOrigin = QGuiApplication::screenAt(QPoint(0, 0)); atOrigin != nullptr)
            return atOrigin;
    return QGuiApplication::primaryScreen();
}

QRect primaryGeometry() {
    const QScreen* screen = primaryScreen();
    return screen != nullptr ? screen->geometry() : QRect(0, 0, 1440, 900);
}

// `y + height` rather than QRect::bottom(), which is one pixel short.
QRectF toQt(const QRectF& rect) {
    const QRect p = primaryGeometry();
    return {p.x() + rect.x(), p.y() + p.height() - (rect.y() + rect.height()), rect.width(),
            rect.height()};
}

QRectF fromQt(const QRectF& rect) {
    const QRect p = primaryGeometry();
    return {rect.x() - p.x(), p.y() + p.height() - (rect.y() + rect.height()), rect.width(),
            rect.height()};
}

QPointF fromQt(QPointF point) {
    return fromQt(QRectF(point, QSizeF(0, 0))).topLeft();
}

QPointF toQt(QPointF point) {
    return toQt(QRectF(point, QSizeF(0, 0))).topLeft();
}

QRect toNativeGeometry(const QRectF& rect) {
    const QRectF r = toQt(rect);
    return {clampedRound(r.x(), -kLargestCoordinate), clampedRound(r.y(), -kLargestCoordinate),
            clampedRound(r.width(), 0), clampedRound(r.height(), 0)};
}

double scaleAt(QPointF point) {
    const QPointF at = toQt(point);
    const QScreen* screen = QGuiApplication::screenAt(QPoint(
        clampedRound(at.x(), -kLargestCoordinate), clampedRound(at.y(), -kLargestCoordinate)));
    if (screen == nullptr)
        screen = primaryScreen();
    return screen != nullptr && screen->devicePixelRatio() > 0 ? screen->devicePixelRatio() : 1.0;
}

QList<QRectF> availableAreas() {
    QList<QRectF> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.append(fromQt(QRectF(screen->availableGeometry())));
    return areas;
}

}  // namespace corkwallery::platform::screen
