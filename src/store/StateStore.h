#pragma once

#include <vector>

#include "store/PinnedPhotoState.h"

namespace corkwallery {

// Saving the open pin windows to the state file and reading the records back. Neither fails
// towards its caller: every failure is logged and absorbed.
class StateStore {
public:
    // The records in file order; empty when there is no file or it cannot be used. A file that
    // exists but cannot be decoded is first copied beside itself, so the next save cannot lose
    // the pins it holds.
    static std::vector<PinnedPhotoState> loadState();
};

}  // namespace corkwallery
