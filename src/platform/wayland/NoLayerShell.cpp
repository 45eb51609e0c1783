// A build without LayerShellQt (Debian 12's Qt): never layer surfaces.
#include "platform/wayland/LayerShell.h"

namespace corkwallery::platform::wayland {

bool isRunning() {
    return false;
}

bool compositorOffersLayerShell() {
    return false;
}

void prepareLayerSurface(QWidget*, const QRect&, Anchor) {}

void placeLayerSurface(QWidget*, const QRect&) {}

bool surfaceClosed(QWidget*) {
    return false;
}

void setInputShape(QWidget*, const QRegion&) {}

}  // namespace corkwallery::platform::wayland
