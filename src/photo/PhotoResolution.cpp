#include "photo/PhotoResolution.h"

#include <algorithm>
#include <cmath>

#include "platform/Screen.h"

namespace corkwallery {

using platform::Size;

namespace {
double longerSide(Size size) {
    return std::max(size.width, size.height);
}
}  // namespace

int PhotoResolution::longerSideToDecode(Size points, double scale) {
    return std::max(1, static_cast<int>(std::ceil(longerSide(points) * scale * kMargin)));
}

int PhotoResolution::previewSide(double scale) {
    return static_cast<int>(std::ceil(kPreviewSide * scale));
}

bool PhotoResolution::needsFinerImage(const platform::Image& image, Size points, double scale) {
    const double held = longerSide(image.pixelSize());
    return held < longerSide(points) * scale && held < longerSide(image.size());
}

double PhotoResolution::mainScreenScale() {
    const auto screen = platform::Screen::main();
    return screen && screen->devicePixelRatio > 0 ? screen->devicePixelRatio : 1.0;
}

}  // namespace corkwallery
