#include "pins/PhotoAdder.h"

#include <array>

#include "photo/PhotoResolution.h"
#include "platform/ImageDecoder.h"
#include "platform/Log.h"
#include "platform/OpenPanel.h"
#include "platform/RandomSource.h"
#include "store/PhotoCopies.h"

namespace corkwallery {

using platform::logLine;

namespace {
constexpr std::array<const char*, 4> kPinColorNames{"red", "blue", "green", "yellow"};
}

std::optional<PinParameters> PhotoAdder::choosePhoto() {
    platform::OpenPanel panel;
    panel.setMessage("Choose a photo to pin to your desktop");
    panel.setPrompt("Pin to Desktop");
    const auto path = panel.runModal();
    if (!path)
        return std::nullopt;

    // Decoded only as finely as the new pin shows it: its size comes from the header.
    const auto natural = platform::ImageDecoder::naturalSize(*path);
    const auto image = natural
                           ? platform::ImageDecoder::decode(
                                 *path, PhotoResolution::longerSideToDecode(
                                            baseSize(*natural), PhotoResolution::mainScreenScale()))
                           : std::nullopt;
    if (!image) {
        logLine("[Corkwallery] ERROR: failed to load image from " + *path);
        return std::nullopt;
    }
    const auto storedFilename = PhotoCopies::copyImageToContainer(*path);
    if (!storedFilename) {
        logLine("[Corkwallery] ERROR: failed to copy image \u2014 photo will not persist");
        return std::nullopt;
    }
    const double tilt = platform::RandomSource::uniformDouble(-kMaximumTilt, kMaximumTilt);
    const char* color = kPinColorNames.at(static_cast<std::size_t>(
        platform::RandomSource::uniformInteger(0, kPinColorNames.size() - 1)));
    const platform::Size size = baseSize(image->size());
    return PinParameters{*image, *storedFilename, *path, size.width,  size.height,
                         tilt,   color,           false, std::nullopt};
}

// A square takes the second branch: the comparison is strict.
platform::Size PhotoAdder::baseSize(platform::Size naturalSize) {
    const double aspect = naturalSize.width / naturalSize.height;
    if (aspect > 1)
        return {kLongerSide, kLongerSide / aspect};
    return {kLongerSide * aspect, kLongerSide};
}

}  // namespace corkwallery
