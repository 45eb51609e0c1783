#include "desktop/PhotoGeometry.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "desktop/WindowSurface.h"

namespace corkwallery::PhotoGeometry {

QSizeF windowSize(QSizeF base, double angle) {
    const double c = std::abs(std::cos(angle));
    const double s = std::abs(std::sin(angle));
    const double w = std::ceil(base.width() * c + base.height() * s);
    const double h = std::ceil(base.width() * s + base.height() * c) + pinOverhang;
    return {std::clamp(w, 0.0, largestWindowSide), std::clamp(h, 0.0, largestWindowSide)};
}

QRectF photoFrame(QSizeF bounds, QSizeF base) {
    return {(bounds.width() - base.width()) / 2,
            (bounds.height() - base.height()) / 2 - pinOverhang / 2, base.width(), base.height()};
}

QRectF pinFrame(QSizeF bounds, QSizeF base, double angle) {
    // The middle of the photo's top edge, turned with the photo about its centre.
    const QPointF centre = photoFrame(bounds, base).center();
    const double half = base.height() / 2;
    const double x = centre.x() - half * std::sin(angle);
    const double y = centre.y() + half * std::cos(angle);
    return {x - pinSide / 2, y - pinOverlap, pinSide, pinSide};
}

QPolygonF turned(const QRectF& rect, double angle) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const double hw = rect.width() / 2;
    const double hh = rect.height() / 2;
    const QPointF m = rect.center();
    QPolygonF outline;
    for (const auto& [dx, dy] :
         std::array<std::pair<double, double>, 4>{{{-hw, -hh}, {hw, -hh}, {hw, hh}, {-hw, hh}}})
        outline << QPointF(m.x() + dx * c - dy * s, m.y() + dx * s + dy * c);
    return outline;
}

QSizeF resized(QSizeF start, double travel) {
    const double f = std::max(1 + travel / travelThatDoubles, smallestScale);
    const double aspect = start.width() / start.height();
    double w = start.width() * f;
    double h = start.height() * f;
    if (w < smallestSide) {
        w = smallestSide;
        h = smallestSide / aspect;
    }
    if (h < smallestSide) {
        h = smallestSide;
        w = smallestSide * aspect;
    }
    return {w, h};
}

double drawingMargin(QSizeF window, bool castsShadow) {
    const double lifted =
        std::ceil((liftedScale - 1) / 2 * std::max(window.width(), window.height()));
    return lifted + 1 + (castsShadow ? surface::kShadowRoom : 0);
}

}  // namespace corkwallery::PhotoGeometry
