#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

namespace corkwallery {

// The keys of a PinnedPhotoState in the state file, one per field and in field order. A key's
// text is its field's name; keys compare and hash by position and have no integer form.
class CodingKeys {
public:
    static const CodingKeys storedFilename;
    static const CodingKeys originalPath;
    static const CodingKeys centerX;
    static const CodingKeys centerY;
    static const CodingKeys baseWidth;
    static const CodingKeys baseHeight;
    static const CodingKeys rotationAngle;
    static const CodingKeys pinColorName;
    static const CodingKeys isLocked;

    static constexpr std::size_t kCount = 9;
    static const std::array<CodingKeys, kCount> allKeys;

    // The key whose text matches exactly (case-sensitive), if any.
    static std::optional<CodingKeys> fromText(std::string_view text);
    static std::optional<CodingKeys> fromIntValue(int) { return std::nullopt; }

    std::string_view text() const { return kTexts[position_]; }
    std::optional<int> intValue() const { return std::nullopt; }
    std::size_t position() const { return position_; }

    friend constexpr bool operator==(CodingKeys, CodingKeys) = default;

private:
    static constexpr std::array<std::string_view, kCount> kTexts = {
        "storedFilename", "originalPath",  "centerX",      "centerY", "baseWidth",
        "baseHeight",     "rotationAngle", "pinColorName", "isLocked"};

    constexpr explicit CodingKeys(std::size_t position) : position_(position) {}

    std::size_t position_;
};

inline constexpr CodingKeys CodingKeys::storedFilename{0};
inline constexpr CodingKeys CodingKeys::originalPath{1};
inline constexpr CodingKeys CodingKeys::centerX{2};
inline constexpr CodingKeys CodingKeys::centerY{3};
inline constexpr CodingKeys CodingKeys::baseWidth{4};
inline constexpr CodingKeys CodingKeys::baseHeight{5};
inline constexpr CodingKeys CodingKeys::rotationAngle{6};
inline constexpr CodingKeys CodingKeys::pinColorName{7};
inline constexpr CodingKeys CodingKeys::isLocked{8};

inline constexpr std::array<CodingKeys, CodingKeys::kCount> CodingKeys::allKeys = {
    storedFilename, originalPath,  centerX,      centerY, baseWidth,
    baseHeight,     rotationAngle, pinColorName, isLocked};

inline std::optional<CodingKeys> CodingKeys::fromText(std::string_view text) {
    for (const CodingKeys key : allKeys) {
        if (key.text() == text)
            return key;
    }
    return std::nullopt;
}

}  // namespace corkwallery

template <>
struct std::hash<corkwallery::CodingKeys> {
    std::size_t operator()(corkwallery::CodingKeys key) const noexcept {
        return std::hash<std::size_t>{}(key.position());
    }
};
