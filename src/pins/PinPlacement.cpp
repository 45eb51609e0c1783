#include "pins/PinPlacement.h"

#include <algorithm>
#include <string>

#include "platform/DoubleFormat.h"
#include "platform/Log.h"

namespace corkwallery {

using platform::Rect;

namespace {

bool showsEnough(const Rect& frame, const Rect& screen) {
    const double w = std::min(frame.maxX(), screen.maxX()) - std::max(frame.minX(), screen.minX());
    const double h = std::min(frame.maxY(), screen.maxY()) - std::max(frame.minY(), screen.minY());
    return w >= std::min(PinPlacement::kSmallestVisiblePart, frame.width()) &&
           h >= std::min(PinPlacement::kSmallestVisiblePart, frame.height());
}

// Along one axis: inside [low, high] when it fits, else starting at `fallback`.
double placed(double origin, double length, double low, double high, double fallback) {
    return length <= high - low ? std::clamp(origin, low, high - length) : fallback;
}

}  // namespace

std::optional<Rect> PinPlacement::broughtOnScreen(Rect frame, const std::vector<Rect>& screens) {
    if (screens.empty() || std::any_of(screens.begin(), screens.end(), [&](const Rect& screen) {
            return showsEnough(frame, screen);
        }))
        return std::nullopt;
    std::optional<Rect> best;
    double bestDistance = 0;
    for (const Rect& screen : screens) {
        // y points up: the top-left corner of a frame taller than the screen is at its top.
        const Rect moved(
            placed(frame.minX(), frame.width(), screen.minX(), screen.maxX(), screen.minX()),
            placed(frame.minY(), frame.height(), screen.minY(), screen.maxY(),
                   screen.maxY() - frame.height()),
            frame.width(), frame.height());
        const double dx = moved.minX() - frame.minX();
        const double dy = moved.minY() - frame.minY();
        const double distance = dx * dx + dy * dy;
        if (!best || distance < bestDistance) {
            best = moved;
            bestDistance = distance;
        }
    }
    return best;
}

bool PinPlacement::bringPinsOnScreen(const PinWindowList& pinWindows,
                                     const std::vector<Rect>& screens) {
    bool moved = false;
    for (std::size_t i = 0; i < pinWindows.size(); ++i) {
        platform::Panel& window = *pinWindows[i];
        const auto reachable = broughtOnScreen(window.frame(), screens);
        if (!reachable)
            continue;
        window.setCenter({reachable->midX(), reachable->midY()});
        const platform::Point centre = window.center();
        platform::logLine("[Corkwallery] Brought pin " + std::to_string(i) +
                          " back on screen: center=(" + platform::formatDouble(centre.x) + ", " +
                          platform::formatDouble(centre.y) + ")");
        moved = true;
    }
    return moved;
}

}  // namespace corkwallery
