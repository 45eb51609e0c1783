#pragma once

#include <array>
#include <string>
#include <string_view>

namespace corkwallery {

// Everything about one pinned photo that survives a restart. A plain value: fields are stored
// exactly as given, neither rounded nor checked.
struct PinnedPhotoState {
    std::string storedFilename;  // file name of the photo's copy in the images folder
    std::string originalPath;    // the file the user chose; empty when unknown
    double centerX = 0;          // centre of the pin window's frame, screen points (y up)
    double centerY = 0;
    double baseWidth = 0;  // unrotated photo size, points
    double baseHeight = 0;
    double rotationAngle = 0;  // radians, counter-clockwise
    std::string pinColorName;
    bool isLocked = false;

    friend bool operator==(const PinnedPhotoState&, const PinnedPhotoState&) = default;
};

// The record's keys in the state file: one per field, in field order, each the field's name.
inline constexpr std::array<std::string_view, 9> CodingKeys{
    "storedFilename", "originalPath",  "centerX",      "centerY", "baseWidth",
    "baseHeight",     "rotationAngle", "pinColorName", "isLocked"};

}  // namespace corkwallery
