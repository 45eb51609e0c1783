#include "desktop/GeometryRequests.h"

#include <algorithm>
#include <cstdlib>

namespace corkwallery {

namespace {

// Requests a window manager may still owe reports for; more are never in flight in practice.
constexpr std::size_t kRememberedRequests = 64;

// A report a pixel off a request is its echo too: scaling to device pixels and back may round.
bool nearlyEqual(QPoint a, QPoint b) {
    return std::abs(a.x() - b.x()) <= 1 && std::abs(a.y() - b.y()) <= 1;
}

}  // namespace

void GeometryRequests::asked(const QRect& geometry) {
    requested_.push_back(geometry);
    if (requested_.size() > kRememberedRequests)
        requested_.pop_front();
}

bool GeometryRequests::differsFromLast(const QRect& geometry) const {
    return !requested_.empty() && requested_.back() != geometry;
}

GeometryRequests::Report GeometryRequests::classify(const QRect& reported) {
    const auto position = std::find_if(requested_.begin(), requested_.end(), [&](const QRect& r) {
        return nearlyEqual(r.topLeft(), reported.topLeft());
    });
    const auto size = std::find_if(requested_.begin(), requested_.end(), [&](const QRect& r) {
        return nearlyEqual(QPoint(r.width(), r.height()),
                           QPoint(reported.width(), reported.height()));
    });
    if (size == requested_.end())
        return Report::Imposed;
    if (position == requested_.end())
        return Report::Move;
    requested_.erase(requested_.begin(), std::min(position, size));
    return Report::Echo;
}

}  // namespace corkwallery
