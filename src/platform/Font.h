#pragma once

#include "platform/Image.h"

namespace corkwallery::platform {

// The system font (the application's default family) at a size in points and a weight.
struct Font {
    double pointSize = 13;
    FontWeight weight = FontWeight::Regular;

    static Font systemFont(double pointSize, FontWeight weight) { return {pointSize, weight}; }
    friend bool operator==(const Font&, const Font&) = default;
};

}  // namespace corkwallery::platform
