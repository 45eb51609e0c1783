#pragma once

#include <memory>
#include <vector>

#include "platform/Panel.h"
#include "store/PinnedPhotoState.h"

namespace corkwallery {

// The open pin windows, in the order they were made.
using PinWindowList = std::vector<std::unique_ptr<platform::Panel>>;

// Saving the open pin windows to the state file and reading the records back. Neither fails
// towards its caller: every failure is logged and absorbed.
class StateStore {
public:
    // Writes one record per window whose content is a photo view with a stored file name, in
    // window order, replacing the state file as a whole.
    static void saveState(const PinWindowList& pinWindows);

    // The records in file order; empty when there is no file or it cannot be used. A file that
    // exists but cannot be decoded is first copied beside itself, so the next save cannot lose
    // the pins it holds.
    static std::vector<PinnedPhotoState> loadState();
};

}  // namespace corkwallery
