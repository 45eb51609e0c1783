#pragma once

#include <QPointF>
#include <string>
#include <vector>

class QMimeData;

namespace corkwallery {

// What a drag from a file manager or a browser left on one of our windows: the files on this
// computer it carried (paths as bytes), every other URL it carried (as text), and where it was
// dropped (screen points, y up).
struct DroppedFiles {
    std::vector<std::string> paths;
    std::vector<std::string> others;
    QPointF at;

    // The URLs `data` carries (text/uri-list, or what the platform made of a browser's own
    // formats), in their order.
    static DroppedFiles from(const QMimeData& data, QPointF at);
};

}  // namespace corkwallery
