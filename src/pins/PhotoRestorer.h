#pragma once

#include <functional>
#include <vector>

#include "pins/PinParameters.h"
#include "store/HeldRecords.h"
#include "store/PinnedPhotoState.h"

namespace corkwallery {

// Brings back the pins of the previous run: one pin window per saved record whose stored copy
// decodes, in file order, each at its saved size, tilt, colour, lock and centre. Every record's
// progress is logged. A record whose copy is absent from a readable images folder, or is no
// picture, is dropped; one whose copy may load later (the folder out of reach, the copy unreadable
// for now) is held, so that saves keep it.
class PhotoRestorer {
public:
    using CreatePinWindow = std::function<void(const PinParameters&)>;

    static void restore(const std::vector<PinnedPhotoState>& records, HeldRecords& held,
                        const CreatePinWindow& createPinWindow);
};

}  // namespace corkwallery
