#pragma once

#include <optional>
#include <string>

#include "platform/Geometry.h"
#include "platform/Image.h"

namespace corkwallery {

// Gets a pin's photo as finely as the pin needs on the main screen: from its preview when a fresh
// one is fine enough, else decoded from the stored copy (making the preview on the way). The
// image's size() is always the photo's natural size.
class PhotoLoader {
public:
    // The copy named `storedFilename` in the images folder, for a pin `points` large. None when
    // the name is not a plain file name or the copy cannot be decoded, whatever preview exists.
    static std::optional<platform::Image> loadStoredCopy(const std::string& storedFilename,
                                                         platform::Size points);
    // The same for a copy at `copyPath`.
    static std::optional<platform::Image> loadCopy(const std::string& copyPath,
                                                   platform::Size points);
};

}  // namespace corkwallery
