#include "store/HeldRecords.h"

#include <utility>

namespace corkwallery {

void HeldRecords::hold(std::size_t fileIndex, PinnedPhotoState record, std::size_t windowsBefore) {
    held_.push_back({fileIndex, std::move(record), windowsBefore});
}

void HeldRecords::windowRemoved(std::size_t listIndex) {
    for (Held& held : held_) {
        if (held.windowsBefore > listIndex)
            --held.windowsBefore;
    }
}

std::vector<PinnedPhotoState> HeldRecords::releaseAll() {
    std::vector<PinnedPhotoState> records;
    for (Held& held : held_)
        records.push_back(std::move(held.record));
    held_.clear();
    return records;
}

}  // namespace corkwallery
