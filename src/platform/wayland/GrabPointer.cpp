#include "platform/wayland/GrabPointer.h"

#include <QLineF>

namespace corkwallery::platform::wayland {

namespace {

// How far a dragged surface must have been carried before its positions tell which way they
// count: farther than a pointer moves between two reports, and than a compositor lags behind.
constexpr double kTellingDistance = 16;

GrabPointer::Origin& origin() {
    static GrabPointer::Origin learnt = GrabPointer::Origin::Unknown;
    return learnt;
}

double distance(QPointF a, QPointF b) {
    return QLineF(a, b).length();
}

}  // namespace

void GrabPointer::press(QPointF surfaceTopLeft, QPointF local) {
    pressTopLeft_ = surfaceTopLeft;
    pressLocal_ = local;
}

// A surface that follows the pointer keeps it over the same spot when positions count from where
// the surface is now; counted from the press they run on with the pointer, as far as the surface
// was carried.
QPointF GrabPointer::pointer(QPointF surfaceTopLeft, QPointF local, bool dragging) {
    const QPointF carried = surfaceTopLeft - pressTopLeft_;
    if (origin() == Origin::Unknown && dragging &&
        distance(carried, QPointF(0, 0)) >= kTellingDistance) {
        const QPointF ranOn = local - pressLocal_;
        origin() = distance(ranOn, carried) < distance(ranOn, QPointF(0, 0)) ? Origin::Press
                                                                             : Origin::Current;
    }
    return (origin() == Origin::Press ? pressTopLeft_ : surfaceTopLeft) + local;
}

GrabPointer::Origin GrabPointer::learnt() {
    return origin();
}

void GrabPointer::forget() {
    origin() = Origin::Unknown;
}

}  // namespace corkwallery::platform::wayland
