#pragma once

#include <QPointF>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "decode/PhotoDecoder.h"
#include "desktop/PinWindow.h"
#include "store/PinnedPhotoState.h"

namespace corkwallery {

// One pin: the record the state file holds, the photo decoded for it, and its window.
struct Pin {
    enum class State {
        Shown,           // on the desktop, in its window
        Held,            // its copy could not be read at launch; written back unchanged
        NotRestoredYet,  // the launch has not reached it; written back unchanged
    };
    PinnedPhotoState record;
    State state = State::NotRestoredYet;
    std::size_t fileIndex = 0;  // its place in the state file read at launch
    std::uint64_t serial = 0;   // told by the board, unique in the run
    Photo photo;
    std::unique_ptr<PinWindow> window;  // while shown
    // Where the window stands while no screen shows the record's place; the record keeps the place.
    std::optional<QPointF> shownAway;
};

}  // namespace corkwallery
