#pragma once

#include <QPolygonF>
#include <QRectF>
#include <QSizeF>

// The geometry of a pinned photo, in points with y pointing up (a QRectF's x(), y() is its
// bottom-left corner), angles in radians, positive counter-clockwise on screen. Plain functions
// over Qt's value types, tested without a display.
namespace corkwallery::PhotoGeometry {

// Extra window height above the photo, left free for the pin.
inline constexpr double pinOverhang = 18.0;
inline constexpr double cornerRadius = 12;
inline constexpr double pinSide = 24;    // the pin's square, which its art fills aspect-fit
inline constexpr double pinOverlap = 8;  // of the pin's side, the part lying over the photo
inline constexpr double pinPointSize = 18;
inline constexpr double liftedScale = 1.05;  // the photo while it is dragged
// A window is never asked to be larger, so an absurd size cannot ask for an absurd window; the
// photo keeps its size and the window its centre.
inline constexpr double largestWindowSide = 8192;

// Resizing: pointer travel to the right that doubles the size, the smallest factor and side.
inline constexpr double travelThatDoubles = 200;
inline constexpr double smallestScale = 0.01;
inline constexpr double smallestSide = 50;

// The window around a photo of `base` turned by `angle`: the turned photo's bounding box rounded
// up to whole points, plus the pin's room above; each side at most largestWindowSide.
QSizeF windowSize(QSizeF base, double angle);

// The photo's rectangle in a view of `bounds`, before it is turned about its centre: centred
// horizontally, its centre pinOverhang / 2 below the view's.
QRectF photoFrame(QSizeF bounds, QSizeF base);

// The pin's square, before it is turned about its own centre: centred on the middle of the photo's
// top edge turned with the photo, its lower pinOverlap points over the photo.
QRectF pinFrame(QSizeF bounds, QSizeF base, double angle);

// `rect` turned by `angle` about its centre: its four corners, counter-clockwise.
QPolygonF turned(const QRectF& rect, double angle);

// The size a resize gesture that started at `start` gives with the pointer `travel` points right
// of where it started: scaled by max(1 + travel / 200, 0.01), the aspect kept, neither side below
// smallestSide. Vertical travel plays no part.
QSizeF resized(QSizeF start, double travel);

// Room around a window of `window` size for drawing past its frame: the photo lifted to
// liftedScale, and with `castsShadow` the shadow's room too.
double drawingMargin(QSizeF window, bool castsShadow);

}  // namespace corkwallery::PhotoGeometry
