#pragma once

#include <array>
#include <string>
#include <string_view>
#include <variant>

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

// One field of the record as the state file holds it: its key (the field's name) and the member.
struct CodingKey {
    std::string_view name;
    std::variant<std::string PinnedPhotoState::*, double PinnedPhotoState::*,
                 bool PinnedPhotoState::*>
        member;
};

// The record's keys in the state file, in field order: the one list of a record's fields, which
// the codec reads and writes from.
inline constexpr std::array<CodingKey, 9> CodingKeys{{
    {"storedFilename", &PinnedPhotoState::storedFilename},
    {"originalPath", &PinnedPhotoState::originalPath},
    {"centerX", &PinnedPhotoState::centerX},
    {"centerY", &PinnedPhotoState::centerY},
    {"baseWidth", &PinnedPhotoState::baseWidth},
    {"baseHeight", &PinnedPhotoState::baseHeight},
    {"rotationAngle", &PinnedPhotoState::rotationAngle},
    {"pinColorName", &PinnedPhotoState::pinColorName},
    {"isLocked", &PinnedPhotoState::isLocked},
}};

}  // namespace corkwallery
