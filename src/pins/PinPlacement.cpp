#include "pins/PinPlacement.h"

#include <algorithm>
#include <limits>

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

// `frame` moved the least distance onto `screen`; the top-left corner of a frame larger than the
// screen goes to the screen's.
QRectF ontoScreen(const QRectF& frame, const QRectF& screen) {
    return {
        placed(frame.x(), frame.width(), screen.x(), maxX(screen), screen.x()),
        placed(frame.y(), frame.height(), screen.y(), maxY(screen), maxY(screen) - frame.height()),
        frame.width(), frame.height()};
}

double distanceSquared(const QRectF& a, const QRectF& b) {
    const double dx = a.x() - b.x();
    const double dy = a.y() - b.y();
    return dx * dx + dy * dy;
}

// How much of the `taken` frames `frame` covers, in square points.
double covered(const QRectF& frame, const std::vector<QRectF>& taken) {
    double area = 0;
    for (const QRectF& other : taken) {
        const QRectF common = frame.intersected(other);
        area += common.width() * common.height();
    }
    return area;
}

// Steps between the places tried for a frame that would cover others: 8 points, or wider on
// screens so large that the places tried would pass some 65,000.
constexpr double kSearchStep = 8;
constexpr double kMostStepsAlong = 256;

// `frame` (on `screen`) where it covers none of `taken`, else the place within the screen, nearest
// to it, that covers least of them.
QRectF clearOf(const QRectF& frame, const QRectF& screen, const std::vector<QRectF>& taken) {
    double least = covered(frame, taken);
    if (least <= 0 || frame.width() > screen.width() || frame.height() > screen.height())
        return frame;
    QRectF best = frame;
    double nearest = 0;
    const double step =
        std::max(kSearchStep, std::max(screen.width(), screen.height()) / kMostStepsAlong);
    for (double x = screen.x(); x <= maxX(screen) - frame.width(); x += step) {
        for (double y = screen.y(); y <= maxY(screen) - frame.height(); y += step) {
            const QRectF candidate(x, y, frame.width(), frame.height());
            const double area = covered(candidate, taken);
            const double distance = distanceSquared(candidate, frame);
            if (area < least || (area == least && distance < nearest)) {
                best = candidate;
                least = area;
                nearest = distance;
            }
        }
    }
    return best;
}

// `count` photos in `rows` rows, the earlier rows one longer where they do not divide evenly.
std::vector<std::size_t> rowLengths(std::size_t count, std::size_t rows) {
    std::vector<std::size_t> lengths(rows, count / rows);
    for (std::size_t i = 0; i < count % rows; ++i)
        ++lengths[i];
    return lengths;
}

// Photos one after another along one axis: where each starts, and how far they reach together.
struct Run {
    std::vector<double> starts;
    double extent = 0;
};

// Each photo `squeeze` times its length and the gap after the one before, yet never closer than
// a visible piece (or its whole length and the gap, when that is less).
Run run(const std::vector<double>& lengths, double squeeze) {
    Run r;
    double at = 0;
    for (const double length : lengths) {
        r.starts.push_back(at);
        r.extent = std::max(r.extent, at + length);
        at += std::max((length + kGap) * squeeze, std::min(kSmallestVisiblePart, length + kGap));
    }
    return r;
}

// The squeeze, at most 1, that makes a run of `lengths` reach no further than `room`.
double squeezeToFit(const std::vector<double>& lengths, double room) {
    if (lengths.size() < 2)
        return 1;
    double steps = 0;
    for (std::size_t i = 0; i + 1 < lengths.size(); ++i)
        steps += lengths[i] + kGap;
    return std::clamp((room - lengths.back()) / steps, 0.0, 1.0);
}

// The photos' widths row by row, and each row's height.
struct Rows {
    std::vector<std::vector<double>> widths;
    std::vector<double> heights;
};

Rows rows(const std::vector<QSizeF>& sizes, const std::vector<std::size_t>& lengths) {
    Rows r;
    std::size_t next = 0;
    for (const std::size_t length : lengths) {
        auto& widths = r.widths.emplace_back();
        double height = 0;
        for (std::size_t end = next + length; next < end; ++next) {
            widths.push_back(sizes[next].width());
            height = std::max(height, sizes[next].height());
        }
        r.heights.push_back(height);
    }
    return r;
}

// How many times `area` the rows' block is, unsqueezed, along its tighter axis.
double crowding(const Rows& r, const QRectF& area) {
    double width = 0;
    for (const auto& widths : r.widths)
        width = std::max(width, run(widths, 1).extent);
    return std::max(width / area.width(), run(r.heights, 1).extent / area.height());
}

// Whether some screen shows enough of `frame` to reach it; true without screens.
bool isReachable(const QRectF& frame, const QList<QRectF>& screens) {
    return screens.isEmpty() || std::any_of(screens.begin(), screens.end(),
                                            [&](const QRectF& s) { return showsEnough(frame, s); });
}

// None when `frame` is reachable; else moved onto the nearest screen, clear of `taken`.
std::optional<QRectF> broughtOnScreen(const QRectF& frame, const QList<QRectF>& screens,
                                      const std::vector<QRectF>& taken) {
    if (isReachable(frame, screens))
        return std::nullopt;
    // Distances from far off may all be infinite: the first screen then.
    QRectF best = ontoScreen(frame, screens.front());
    QRectF bestScreen = screens.front();
    double bestDistance = distanceSquared(best, frame);
    for (const QRectF& screen : screens) {
        const QRectF moved = ontoScreen(frame, screen);
        const double distance = distanceSquared(moved, frame);
        if (distance < bestDistance) {
            best = moved;
            bestScreen = screen;
            bestDistance = distance;
        }
    }
    return clearOf(best, bestScreen, taken);
}

}  // namespace

std::vector<std::optional<QRectF>> whereShown(const std::vector<Standing>& pins,
                                              const QList<QRectF>& screens) {
    std::vector<std::optional<QRectF>> shown(pins.size());
    std::vector<QRectF> taken;
    std::vector<std::size_t> away;
    for (std::size_t i = 0; i < pins.size(); ++i) {
        if (isReachable(pins[i].place, screens))
            taken.push_back(pins[i].place);
        else
            away.push_back(i);
    }
    std::vector<std::size_t> toBring;
    for (const std::size_t i : away) {
        const std::optional<QRectF>& standing = pins[i].away;
        if (standing && isReachable(*standing, screens) &&
            std::none_of(taken.begin(), taken.end(),
                         [&](const QRectF& other) { return standing->intersects(other); })) {
            shown[i] = standing;
            taken.push_back(*standing);
        } else {
            toBring.push_back(i);
        }
    }
    for (const std::size_t i : toBring) {
        shown[i] = broughtOnScreen(pins[i].place, screens, taken);
        taken.push_back(*shown[i]);
    }
    return shown;
}

std::vector<QPointF> sideBySide(QPointF centre, const std::vector<QSizeF>& sizes,
                                const QRectF& area) {
    if (sizes.size() < 2)
        return std::vector<QPointF>(sizes.size(), centre);
    // The number of rows that leaves the block least crowded; the fewest on a tie.
    Rows chosen;
    double least = std::numeric_limits<double>::infinity();
    for (std::size_t count = 1; count <= sizes.size(); ++count) {
        Rows candidate = rows(sizes, rowLengths(sizes.size(), count));
        const double crowded = crowding(candidate, area);
        if (chosen.heights.empty() || crowded < least) {
            chosen = std::move(candidate);
            least = crowded;
        }
    }
    // Every row squeezed alike, so that columns stay even; each row centred in the block.
    double squeeze = 1;
    for (const auto& widths : chosen.widths)
        squeeze = std::min(squeeze, squeezeToFit(widths, area.width()));
    std::vector<Run> across;
    double width = 0;
    for (const auto& widths : chosen.widths) {
        width = std::max(width, across.emplace_back(run(widths, squeeze)).extent);
    }
    const Run down = run(chosen.heights, squeezeToFit(chosen.heights, area.height()));
    const double height = down.extent;
    const double left = placed(centre.x() - width * 0.5, width, area.x(), maxX(area),
                               area.center().x() - width * 0.5);
    const double top = placed(centre.y() - height * 0.5, height, area.y(), maxY(area),
                              area.center().y() - height * 0.5) +
                       height;
    std::vector<QPointF> centres;
    std::size_t next = 0;
    for (std::size_t row = 0; row < across.size(); ++row) {
        const double rowLeft = left + (width - across[row].extent) * 0.5;
        for (const double start : across[row].starts) {
            const QSizeF& size = sizes[next++];
            centres.emplace_back(rowLeft + start + size.width() * 0.5,
                                 top - down.starts[row] - size.height() * 0.5);
        }
    }
    return centres;
}

std::vector<QPointF> arriving(QPointF centre, const std::vector<QSizeF>& sizes, const QRectF& area,
                              const std::vector<QRectF>& taken) {
    std::vector<QPointF> centres = sideBySide(centre, sizes, area);
    QRectF block;
    for (std::size_t i = 0; i < centres.size(); ++i) {
        QRectF photo(QPointF(), sizes[i] + QSizeF(kGap, kGap));
        photo.moveCenter(centres[i]);
        block = block.united(photo);
    }
    const QPointF moved = clearOf(block, area, taken).topLeft() - block.topLeft();
    for (QPointF& c : centres)
        c += moved;
    return centres;
}

QRectF areaHolding(QPointF point, const QList<QRectF>& screens, const QRectF& fallback) {
    for (const QRectF& screen : screens) {
        if (point.x() >= screen.x() && point.x() < maxX(screen) && point.y() >= screen.y() &&
            point.y() < maxY(screen))
            return screen;
    }
    return screens.isEmpty() ? fallback : screens.front();
}

}  // namespace corkwallery::PinPlacement
