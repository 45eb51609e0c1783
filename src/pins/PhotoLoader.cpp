#include "pins/PhotoLoader.h"

#include <algorithm>

#include "photo/PhotoResolution.h"
#include "platform/ImageDecoder.h"
#include "platform/PreviewCache.h"
#include "store/AppFolders.h"

namespace corkwallery {

using platform::ImageDecoder;
using platform::PreviewCache;

std::optional<platform::Image> PhotoLoader::loadStoredCopy(const std::string& storedFilename,
                                                           platform::Size points) {
    const auto path = AppFolders::storedImageURL(storedFilename);
    return path ? loadCopy(*path, points) : std::nullopt;
}

std::optional<platform::Image> PhotoLoader::loadCopy(const std::string& copyPath,
                                                     platform::Size points) {
    // The copy's header is read even when a preview will do: a copy that is gone or no longer
    // an image is not loadable.
    const auto natural = ImageDecoder::naturalSize(copyPath);
    if (!natural)
        return std::nullopt;
    const double scale = PhotoResolution::mainScreenScale();
    const int needed = PhotoResolution::longerSideToDecode(points, scale);
    if (auto preview = PreviewCache::load(copyPath, *natural, needed))
        return preview;
    const int previewSide = PhotoResolution::previewSide(scale);
    const bool makePreview = !PreviewCache::hasFresh(copyPath);
    const auto photo =
        ImageDecoder::decode(copyPath, makePreview ? std::max(needed, previewSide) : needed);
    if (!photo)
        return std::nullopt;
    if (makePreview)
        PreviewCache::store(copyPath, *photo, previewSide);
    return photo->reducedTo(needed);
}

}  // namespace corkwallery
