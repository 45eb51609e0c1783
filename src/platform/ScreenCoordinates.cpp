#include "platform/ScreenCoordinates.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace corkwallery::platform {

QRect primaryScreenGeometry() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry() : QRect(0, 0, 1440, 900);
}

// `y + height` rather than QRect::bottom(), which is one pixel short.
QRectF toQt(Rect rect) {
    const QRect p = primaryScreenGeometry();
    return {p.x() + rect.minX(), p.y() + p.height() - rect.maxY(), rect.width(), rect.height()};
}

namespace {
// X11 carries window positions and sizes in 16 bits; anything past that is far off every screen.
constexpr double kLargestCoordinate = 32000;

int clampedRound(double value, double lowest) {
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::lround(std::clamp(value, lowest, kLargestCoordinate)));
}
}  // namespace

int toNativeCoordinate(double value) {
    return clampedRound(value, -kLargestCoordinate);
}
int toNativeLength(double value) {
    return clampedRound(value, 0);
}

QRect toQtWindowGeometry(Rect rect) {
    const QRectF r = toQt(rect);
    return {toNativeCoordinate(r.x()), toNativeCoordinate(r.y()), toNativeLength(r.width()),
            toNativeLength(r.height())};
}

Rect fromQt(const QRectF& rect) {
    const QRect p = primaryScreenGeometry();
    return {rect.x() - p.x(), p.y() + p.height() - (rect.y() + rect.height()), rect.width(),
            rect.height()};
}

Point fromQt(const QPointF& point) {
    return fromQt(QRectF(point, QSizeF(0, 0))).origin;
}

QPointF toQt(Point point) {
    return toQt(Rect(point, {0, 0})).topLeft();
}

}  // namespace corkwallery::platform
