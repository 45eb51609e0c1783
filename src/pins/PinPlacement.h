#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <cstddef>
#include <optional>
#include <vector>

// Keeps pins within reach: a pin of which no screen shows at least a 48 x 48 point piece (after a
// monitor went, or on a smaller screen than last time) comes back onto the nearest screen. Pins
// that are partly visible stay where the user put them.
namespace corkwallery::PinPlacement {

inline constexpr double kSmallestVisiblePart = 48;

// None when some screen shows enough of `frame`, or there is no screen. Otherwise `frame` moved
// the least distance onto the nearest screen: wholly inside it when it fits, else with its
// top-left corner in the screen's. Screens are the parts panels leave free; all in screen points.
std::optional<QRectF> broughtOnScreen(const QRectF& frame, const QList<QRectF>& screens);

// Room between photos placed side by side, for their tilt and their pins.
inline constexpr double kGap = 32;

// The centres of photos of `sizes` placed at once around `centre`, in the given order, each later
// one above the earlier ones. One photo stands exactly at `centre`. Several stand in rows, top
// edges aligned, `kGap` apart, in the number of rows that best suits `area`, the block centred on
// `centre` and moved into `area` where it fits. Where it does not, photos overlap, each showing
// at least a kSmallestVisiblePart piece of its top-left corner; rows that even so do not fit run
// past the area. All in screen points, y up.
std::vector<QPointF> sideBySide(QPointF centre, const std::vector<QSizeF>& sizes,
                                const QRectF& area);

// The screen area (see broughtOnScreen) that holds `point`, else the first one; `fallback` when
// there is none.
QRectF areaHolding(QPointF point, const QList<QRectF>& screens, const QRectF& fallback);

}  // namespace corkwallery::PinPlacement
