#pragma once

#include <QStringList>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "store/PinnedPhotoState.h"

namespace corkwallery {

class DecodeQueue;
struct Pin;

// The pins the user removed in this run, so that each removal can be undone, the latest first.
// Their copies go to the desktop's Trash (their previews are dropped), where they stay recoverable
// after the program quits; an undo takes them back from there.
class RemovedPins {
public:
    struct Removed {
        PinnedPhotoState record;
        std::size_t index = 0;  // its place among the pins when it was removed
        bool held = false;      // its copy could not be read at launch
        std::optional<std::string> trashed;
    };

    // One removal, in the pins' order. The copies go to the Trash only when `saved` (the state
    // file no longer names them); otherwise they stay where they are.
    void remember(std::vector<Removed> pins, bool saved);
    bool isEmpty() const { return removals_.empty(); }

    // The pins of the latest removal not yet undone, their copies taken back from the Trash now
    // and decoded on `decoding`'s workers (held ones as they were), each with its place among the
    // pins, handed to `done` once decoded, after the lines "Undo remove — <n> pin(s) to bring
    // back" and per pin "[<i>] Taken back: <copy path>" or "[<i>] ERROR: cannot bring back <copy
    // path>: <reason>"; `lost` names the chosen files of those that cannot come back (their copies
    // emptied from the Trash). Nothing when there is nothing to undo.
    struct TakenBack {
        std::vector<std::pair<std::unique_ptr<Pin>, std::size_t>> pins;
        QStringList lost;
    };
    void takeBackLatest(DecodeQueue& decoding, std::function<void(TakenBack)> done);

private:
    std::vector<std::vector<Removed>> removals_;
};

}  // namespace corkwallery
