#pragma once

#include <QPainter>

#include "platform/Layer.h"

namespace corkwallery::platform {

// Draws a layer tree whose root fills a y-up area `height` points tall, antialiased and smooth.
void paintLayerTree(QPainter& painter, const Layer& root, double height);

}  // namespace corkwallery::platform
