#pragma once

#include <QList>
#include <QPointF>
#include <QRect>
#include <QRectF>

class QScreen;

// Our screen coordinates have their origin at the bottom-left corner of the primary screen (on
// Wayland: the output at the layout's origin) and y
// pointing up, in points (doubles), exactly as the state file stores them; a QRectF in them keeps
// x(), y() as its bottom-left corner. Qt's global coordinates point y down. With P the primary
// screen's Qt geometry (the 1440 x 900 rectangle at the origin without a screen):
//   qt.x = P.x + x,  qt.y = P.y + P.height - (y + h)
namespace corkwallery::platform::screen {

// The primary screen (on Wayland: the output at the layout's origin), or null without screens.
QScreen* primaryScreen();
QRect primaryGeometry();
QRectF toQt(const QRectF& rect);
QRectF fromQt(const QRectF& rect);
QPointF fromQt(QPointF point);
QPointF toQt(QPointF point);
// The integer geometry that places a native window for `rect`: rounded, and kept within what X11
// can carry (coordinates and lengths fit 16 bits).
QRect toNativeGeometry(const QRectF& rect);
// Device pixels per point of the screen that holds `point` (ours), else of the primary screen; 1
// without screens.
double scaleAt(QPointF point);
// The parts of every screen that panels leave free (QScreen::availableGeometry), in our
// coordinates.
QList<QRectF> availableAreas();

}  // namespace corkwallery::platform::screen
