#pragma once

// What a layer last looked like on screen, kept by the layer painter so that a layer at rest is
// drawn by copying pixels rather than by turning, clipping and scaling its contents again.

#include <QImage>
#include <QRect>
#include <QTransform>
#include <optional>

#include "platform/Geometry.h"
#include "platform/Image.h"
#include "platform/Layer.h"

namespace corkwallery::platform {

class LayerRaster {
public:
    // Everything the pixels depend on. The device transform counts by its turn and scale and by
    // its position within a device pixel; the whole pixels of its position only place the copy.
    struct Key {
        const Image::Impl* contents = nullptr;  // kept alive by `shown`, so never reused
        Size size;
        double cornerRadius = 0;
        bool masksToBounds = false;
        std::optional<Color> background;
        ContentsGravity gravity = ContentsGravity::Resize;
        double m11 = 0, m12 = 0, m21 = 0, m22 = 0;
        double subpixelX = 0, subpixelY = 0;
        QRect box;  // the device pixels kept: the layer's, cut to the part on the device
        friend bool operator==(const Key&, const Key&) = default;
    };

    Key key;
    std::optional<Image> shown;
    QImage pixels;  // premultiplied, one pixel per device pixel
    QPoint offset;  // of the pixels' top-left corner from the device position of the layer's centre
};

}  // namespace corkwallery::platform
