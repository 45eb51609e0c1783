#pragma once

#include <optional>

#include "pins/PinParameters.h"
#include "platform/Geometry.h"

namespace corkwallery {

// The road of a new photo up to its window: the user chooses an image, it is decoded and copied
// into the images folder, and it gets its size, a random tilt and a random pin colour.
class PhotoAdder {
public:
    // Half of the widest tilt a new photo gets, in radians (8 degrees).
    static constexpr double kMaximumTilt = 0.13962634015954636;
    static constexpr double kLongerSide = 300;

    // The new pin, centred on the main screen; none when the user cancels or the photo cannot be
    // decoded or copied (both logged).
    static std::optional<PinParameters> choosePhoto();
    // Longer side 300 points, the other in the image's aspect ratio.
    static platform::Size baseSize(platform::Size naturalSize);
};

}  // namespace corkwallery
