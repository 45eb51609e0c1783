#pragma once

#include <QImage>
#include <QSizeF>
#include <algorithm>

namespace corkwallery {

// A photo decoded from a file: its pixels, perhaps fewer than the photo has, in sRGB, and its
// natural size in points (upright: EXIF orientation applied). `unusableProfile`: the file holds a
// colour profile that could not be used, so its pixels are shown as they are stored.
struct Photo {
    QImage pixels;
    QSizeF naturalSize;
    bool unusableProfile = false;

    // The same photo with at most `longerSide` pixels on its longer side (0: as it is).
    Photo reduced(int longerSide) && {
        if (longerSide > 0 && std::max(pixels.width(), pixels.height()) > longerSide)
            pixels = pixels.scaled(longerSide, longerSide, Qt::KeepAspectRatio,
                                   Qt::SmoothTransformation);
        return std::move(*this);
    }
};

}  // namespace corkwallery
