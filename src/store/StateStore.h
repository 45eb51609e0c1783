#pragma once

#include <string>
#include <vector>

#include "platform/Result.h"
#include "store/PinnedPhotoState.h"

namespace corkwallery {

// Writes and reads the state file. Knows, for the run, whether an unreadable state file could not
// be moved aside: then nothing is saved over it until the program ends.
class StateStore {
public:
    // Encodes the records and writes them atomically to the state file, logging "Encoding <m>
    // state(s) to: <path>" and "Wrote <k> bytes successfully", or "ERROR writing state: <error>".
    // The bytes written, or why the file does not hold the records. Writes and logs nothing while
    // saving is disabled.
    platform::Result<std::size_t> saveState(const std::vector<PinnedPhotoState>& records);

    // Reads the state file with its log lines ("loadState() — looking for: <path>", "File does
    // not exist — returning empty", "Read <k> bytes", "Decoded <n> state(s)" and one line per
    // record, or "ERROR loading state: <error>"). A file that exists but cannot be read or decoded
    // is renamed aside ("Kept the unreadable state file as: <path>"); when that fails too, saving
    // is disabled for the run ("Nothing will be saved over it in this run").
    std::vector<PinnedPhotoState> loadState();

    bool isSavingDisabled() const { return savingDisabled_; }

private:
    bool savingDisabled_ = false;
};

}  // namespace corkwallery
