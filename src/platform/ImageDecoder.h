#pragma once

#include <optional>
#include <string>

#include "platform/Image.h"

namespace corkwallery::platform {

// Decodes the image file at `path` (UTF-8), turned upright by its EXIF orientation. Absent when
// the file cannot be decoded or the picture has no area. The natural size is the upright pixel
// size.
std::optional<Image> decodeImage(const std::string& path);

}  // namespace corkwallery::platform
