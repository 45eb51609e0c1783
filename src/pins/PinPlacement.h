#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <cstddef>
#include <optional>
#include <vector>

// Keeps pins within reach: a pin of which no screen shows at least a 48 x 48 point piece (after a
// monitor went, or on a smaller screen than last time) is shown on the nearest screen, clear of
// the pins already there. Pins that are partly visible stay where the user put them.
namespace corkwallery::PinPlacement {

inline constexpr double kSmallestVisiblePart = 48;

// A pin's frame at the place its record gives, and where it stands while shown away from it.
struct Standing {
    QRectF place;
    std::optional<QRectF> away;
};

// Where each pin is to be shown on `screens`: none at its place, which it takes again as soon as
// some screen shows enough of it (or there is no screen); otherwise where it stands away while
// that is still seen and clear of the pins before it (pins at their places first), else moved the
// least distance onto the nearest screen (wholly inside it when it fits, else with its top-left
// corner in the screen's) and, where that covers others, to the place on that screen nearest to
// there that covers least of them (none while there is room). Screens are the parts panels leave
// free; all in screen points.
std::vector<std::optional<QRectF>> whereShown(const std::vector<Standing>& pins,
                                              const QList<QRectF>& screens);

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

// sideBySide, and then, where a photo would cover one of the `taken` frames (pins already on the
// desktop), the whole block moved to the nearest place in `area` where none does (or the fewest,
// when there is no room). Each photo counts with kGap / 2 around it for its tilt and pin.
std::vector<QPointF> arriving(QPointF centre, const std::vector<QSizeF>& sizes, const QRectF& area,
                              const std::vector<QRectF>& taken);

// The screen area (see whereShown) that holds `point`, else the first one; `fallback` when
// there is none.
QRectF areaHolding(QPointF point, const QList<QRectF>& screens, const QRectF& fallback);

}  // namespace corkwallery::PinPlacement
