#pragma once

#include <functional>
#include <vector>

#include "pins/PinParameters.h"
#include "store/PinnedPhotoState.h"

namespace corkwallery {

// Brings back the pins of the previous run: one pin window per saved record whose stored copy
// decodes, in file order, each at its saved size, tilt, colour, lock and centre. Every record's
// progress is logged; records whose copy cannot be decoded are skipped.
class PhotoRestorer {
public:
    using CreatePinWindow = std::function<void(const PinParameters&)>;

    static void restore(const std::vector<PinnedPhotoState>& records,
                        const CreatePinWindow& createPinWindow);
};

}  // namespace corkwallery
