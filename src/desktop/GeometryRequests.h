#pragma once

#include <QRect>
#include <deque>

namespace corkwallery {

// The native geometries a window asked for, oldest first, to tell what the window system later
// reports of it. Window managers report late, after later requests were made, and one report may
// pair the size of one request with the position of a later one (Qt asks the server where a
// window is when a resize is reported). So position and size are each matched to the earliest
// request that has them, and only requests before both are known to be settled.
class GeometryRequests {
public:
    enum class Report {
        Echo,     // of a request of ours
        Move,     // a requested size at a position never asked for: the user moved it
        Imposed,  // a size never asked for: the window manager places the window itself
    };

    void asked(const QRect& geometry);
    // The request before this one differs from `geometry`: Qt may not send it again.
    bool differsFromLast(const QRect& geometry) const;
    Report classify(const QRect& reported);

private:
    std::deque<QRect> requested_;
};

}  // namespace corkwallery
