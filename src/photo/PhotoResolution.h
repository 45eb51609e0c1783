#pragma once

#include "platform/Geometry.h"
#include "platform/Image.h"

namespace corkwallery {

// How finely a pin's photo is decoded: to the pixels its on-screen size covers, with room for
// the lifted photo (5% larger) and small enlargements, never to the camera's resolution.
class PhotoResolution {
public:
    static constexpr double kMargin = 1.25;
    // The pixels a preview holds on its longer side, per screen pixel: twice a new pin's 300.
    static constexpr double kPreviewSide = 600;

    // Pixels on the longer side to decode for a pin `points` large on a screen with `scale`
    // device pixels per point.
    static int longerSideToDecode(platform::Size points, double scale);
    static int previewSide(double scale);
    // Whether the photo shows coarser than the screen at `points`, and a finer decode exists.
    static bool needsFinerImage(const platform::Image& image, platform::Size points, double scale);
    // Device pixels per point of the main screen.
    static double mainScreenScale();
};

}  // namespace corkwallery
