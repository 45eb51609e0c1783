#pragma once

#include <cstddef>
#include <vector>

#include "store/PinnedPhotoState.h"

namespace corkwallery {

// Records of the state file whose photo copy could not be read at launch, though it may be later
// (its folder out of reach, the copy unreadable for now). Every save writes them back unchanged,
// each in its place among the restored pins, until the user removes all photos.
class HeldRecords {
public:
    struct Held {
        std::size_t fileIndex;  // its position in the state file read at launch
        PinnedPhotoState record;
        std::size_t windowsBefore;  // how many listed pin windows come before it
    };

    // Records are held in file order, each after the windows restored before it.
    void hold(std::size_t fileIndex, PinnedPhotoState record, std::size_t windowsBefore);
    // The pin window at `listIndex` left the list: what followed it now follows its predecessor.
    void windowRemoved(std::size_t listIndex);
    // Lets go of every record and gives them, in file order.
    std::vector<PinnedPhotoState> releaseAll();

    const std::vector<Held>& records() const { return held_; }
    bool empty() const { return held_.empty(); }

private:
    std::vector<Held> held_;
};

}  // namespace corkwallery
