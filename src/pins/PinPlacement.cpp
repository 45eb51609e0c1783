#include "pins/PinPlacement.h"

#include <algorithm>

namespace corkwallery::PinPlacement {

namespace {

// Rectangles here have y pointing up: x(), y() is the bottom-left corner.
double maxX(const QRectF& r) {
    return r.x() + r.width();
}
double maxY(const QRectF& r) {
    return r.y() + r.height();
}

bool showsEnough(const QRectF& frame, const QRectF& screen) {
    const double w = std::min(maxX(frame), maxX(screen)) - std::max(frame.x(), screen.x());
    const double h = std::min(maxY(frame), maxY(screen)) - std::max(frame.y(), screen.y());
    return w >= std::min(kSmallestVisiblePart, frame.width()) &&
           h >= std::min(kSmallestVisiblePart, frame.height());
}

// Along one axis: inside [low, high] when it fits, else starting at `fallback`.
double placed(double origin, double length, double low, double high, double fallback) {
    return length <= high - low ? std::clamp(origin, low, high - length) : fallback;
}

}  // namespace

std::optional<QRectF> broughtOnScreen(const QRectF& frame, const QList<QRectF>& screens) {
    if (screens.isEmpty() || std::any_of(screens.begin(), screens.end(),
                                         [&](const QRectF& s) { return showsEnough(frame, s); }))
        return std::nullopt;
    std::optional<QRectF> best;
    double bestDistance = 0;
    for (const QRectF& screen : screens) {
        // The top-left corner of a frame taller than the screen goes to the screen's top.
        const QRectF moved(placed(frame.x(), frame.width(), screen.x(), maxX(screen), screen.x()),
                           placed(frame.y(), frame.height(), screen.y(), maxY(screen),
                                  maxY(screen) - frame.height()),
                           frame.width(), frame.height());
        const double dx = moved.x() - frame.x();
        const double dy = moved.y() - frame.y();
        const double distance = dx * dx + dy * dy;
        if (!best || distance < bestDistance) {
            best = moved;
            bestDistance = distance;
        }
    }
    return best;
}

QPointF cascaded(QPointF centre, std::size_t step) {
    const double along =
        30.0 * static_cast<double>(step % 10) + 6.0 * static_cast<double>(step / 10 % 5);
    return {centre.x() + along, centre.y() - along};
}

}  // namespace corkwallery::PinPlacement
