#pragma once

#include <string>
#include <vector>

#include "store/AppFolders.h"
#include "store/StateFileCodec.h"
#include "support/TestFiles.h"

namespace corkwallery::testing {

// Writes the state file of `records`, with a 64 x 48 copy for each unless told not to; gives its
// text.
inline std::string savePins(const std::vector<PinnedPhotoState>& records, bool copies = true) {
    if (copies) {
        for (const PinnedPhotoState& record : records)
            files::writePicture(*AppFolders::storedImageURL(record.storedFilename), 64, 48);
    }
    const std::string text = StateFileCodec::encode(records).value();
    files::writeBytes(AppFolders::stateFileURL(), text);
    return text;
}

// The state file's records; none when it cannot be read.
inline std::vector<PinnedPhotoState> savedPins() {
    const auto records = StateFileCodec::decode(files::readBytes(AppFolders::stateFileURL()));
    return records.ok() ? records.value() : std::vector<PinnedPhotoState>();
}

}  // namespace corkwallery::testing
