#pragma once

// Drawing an Image with Qt: where it sits in a box, and how a tint colours it.

#include <QPainter>
#include <QRectF>
#include <optional>

#include "platform/Geometry.h"
#include "platform/Image.h"

namespace corkwallery::platform {

// The image's natural size centred in `box`, scaled down proportionally when it does not fit.
QRectF centredImageRect(Size image, const QRectF& box);

// Draws `image` into `target` at the device pixels it covers. With a tint, everything the picture
// covers takes the tint's colour, and the tint's alpha multiplies the picture's coverage.
void drawImage(QPainter& painter, const Image& image, const QRectF& target,
               std::optional<Color> tint);

}  // namespace corkwallery::platform
