#pragma once

#include <string>

namespace corkwallery::platform {

class Uuid {
public:
    // A fresh random (version 4) UUID as 36 characters: upper-case hexadecimal digits in groups
    // of 8, 4, 4, 4 and 12 joined by hyphens.
    static std::string randomText();
};

}  // namespace corkwallery::platform
