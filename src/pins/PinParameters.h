#pragma once

#include <optional>
#include <string>

#include "platform/Geometry.h"
#include "platform/Image.h"

namespace corkwallery {

// Everything a pin window is built from: the photo and how it is pinned.
struct PinParameters {
    platform::Image image;
    std::string storedFilename;
    std::string originalPath;
    double baseWidth = 0;
    double baseHeight = 0;
    double rotationAngle = 0;
    std::string pinColorName;
    bool isLocked = false;
    // Where the centre of the window's frame must end up; absent keeps it on the main screen's
    // centre.
    std::optional<platform::Point> center;
};

}  // namespace corkwallery
