#pragma once

// Conversion between our screen coordinates (origin at the bottom-left of the primary screen,
// y up, double precision) and Qt's global coordinates (y down, integer window geometry).

#include <QPointF>
#include <QRect>
#include <QRectF>

#include "platform/Geometry.h"

namespace corkwallery::platform {

// The primary screen's Qt geometry; the 1440 x 900 rectangle at the origin without a screen.
QRect primaryScreenGeometry();

QRectF toQt(Rect rect);
// Rounded for native geometry, and kept within what X11 can carry.
int toNativeCoordinate(double value);
int toNativeLength(double value);
// The integer geometry that places a native window for `rect`.
QRect toQtWindowGeometry(Rect rect);
Rect fromQt(const QRectF& rect);
Point fromQt(const QPointF& point);
QPointF toQt(Point point);

}  // namespace corkwallery::platform
