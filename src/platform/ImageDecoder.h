#pragma once

#include <optional>
#include <string>

#include "platform/Geometry.h"
#include "platform/Image.h"

namespace corkwallery::platform {

// Decodes image files (UTF-8 paths) turned upright by their EXIF orientation, no finer than the
// caller needs: a photo shown 300 points wide costs the memory of 300 points, not of its camera
// resolution. A file whose header promises more than kPixelCap pixels counts as not decodable, so
// a decompression bomb is refused before any pixel is decoded. Only regular files are read, and
// SVG never: either refusal logs one detail line naming the path.
class ImageDecoder {
public:
    static constexpr double kPixelCap = 100'000'000;

    // The natural size, upright, read from the header alone. None when the file is no readable
    // image, has no area or exceeds the pixel cap.
    static std::optional<Size> naturalSize(const std::string& path);

    // Decodes the file reduced, aspect kept, so that its longer side has at most `longerSide`
    // pixels (0 or less: at full size). The image's size() is always the natural size;
    // pixelSize() is what was decoded. None when the file cannot be decoded.
    static std::optional<Image> decode(const std::string& path, int longerSide = 0);
};

}  // namespace corkwallery::platform
