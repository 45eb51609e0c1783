#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <cstddef>
#include <optional>

// Keeps pins within reach: a pin of which no screen shows at least a 48 x 48 point piece (after a
// monitor went, or on a smaller screen than last time) comes back onto the nearest screen. Pins
// that are partly visible stay where the user put them.
namespace corkwallery::PinPlacement {

inline constexpr double kSmallestVisiblePart = 48;

// None when some screen shows enough of `frame`, or there is no screen. Otherwise `frame` moved
// the least distance onto the nearest screen: wholly inside it when it fits, else with its
// top-left corner in the screen's. Screens are the parts panels leave free; all in screen points.
std::optional<QRectF> broughtOnScreen(const QRectF& frame, const QList<QRectF>& screens);

// The centre of the `step`-th of several pins placed at once from `centre`: 30 points right and
// down per step (y points up), ten to a run, each run 6 points further on, so no two of 50 stack
// exactly and none strays more than 300 points.
QPointF cascaded(QPointF centre, std::size_t step);

}  // namespace corkwallery::PinPlacement
