#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Geometry.h"
#include "platform/Image.h"

namespace corkwallery::platform {

// Small renditions of the stored photo copies, in $XDG_CACHE_HOME/Corkwallery/previews, so that a
// launch shows its pins without decoding whole photos. A preview is a baseline JPEG (a PNG when the
// photo has transparency) named after its copy's file name, byte size and modification time: a
// copy that changes never shows an old preview. Anything that goes wrong here only means there is
// no preview.
class PreviewCache {
public:
    static std::string folder();

    // The fresh preview of the copy at `copyPath`, reduced to at most `longerSide` pixels on its
    // longer side, with the copy's `naturalSize`. None when there is no fresh preview, it cannot be
    // decoded, its shape is not the photo's, or it is coarser than `longerSide` (unless it holds
    // every pixel of the photo). A preview that cannot be decoded or has another shape is
    // dropped.
    static std::optional<Image> load(const std::string& copyPath, Size naturalSize, int longerSide);
    // Whether a preview for the copy as it is now exists.
    static bool hasFresh(const std::string& copyPath);
    // Makes the copy's preview from its decoded photo, at most `longerSide` pixels on its longer
    // side, and drops the copy's older previews.
    static void store(const std::string& copyPath, const Image& photo, int longerSide);
    // Drops every preview of the copy named `copyName`.
    static void remove(std::string_view copyName);
};

}  // namespace corkwallery::platform
