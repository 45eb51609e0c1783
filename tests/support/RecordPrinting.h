#pragma once

#include <ostream>

#include "platform/Log.h"
#include "store/PinnedPhotoState.h"

namespace corkwallery {

// Readable records in test failures.
inline void PrintTo(const PinnedPhotoState& r, std::ostream* out) {
    using platform::formatDouble;
    *out << "{" << r.storedFilename << ", " << r.originalPath << ", (" << formatDouble(r.centerX)
         << ", " << formatDouble(r.centerY) << "), " << formatDouble(r.baseWidth) << "x"
         << formatDouble(r.baseHeight) << ", " << formatDouble(r.rotationAngle) << ", "
         << r.pinColorName << (r.isLocked ? ", locked}" : "}");
}

}  // namespace corkwallery
