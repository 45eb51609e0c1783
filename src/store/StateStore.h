#pragma once

#include <memory>
#include <vector>

#include "platform/Panel.h"
#include "store/HeldRecords.h"
#include "store/PinnedPhotoState.h"

namespace corkwallery {

// The open pin windows, in the order they were made.
using PinWindowList = std::vector<std::unique_ptr<platform::Panel>>;

// Saving the open pin windows to the state file and reading the records back. Every failure is
// logged and absorbed.
class StateStore {
public:
    // Writes one record per window whose content is a photo view with a stored file name, in
    // window order, and the held records in their places, replacing the state file as a whole.
    // True when the file now holds them.
    static bool saveState(const PinWindowList& pinWindows, const HeldRecords& held = {});

    // The records in file order; empty when there is no file or it cannot be used. A file that
    // exists but cannot be read or decoded is first renamed beside itself, so no save can lose
    // the pins it holds; when even that fails, no save replaces it in this run.
    static std::vector<PinnedPhotoState> loadState();
};

}  // namespace corkwallery
