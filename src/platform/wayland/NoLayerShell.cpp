// A build without LayerShellQt (Debian 12's Qt): never layer surfaces.
#include "platform/wayland/LayerShell.h"

namespace corkwallery::platform::wayland {

bool isRunning() {
    return false;
}

bool compositorOffersLayerShell() {
    return false;
}

DesktopSurface* makeLayerSurface(QWindow*) {
    return nullptr;
}

}  // namespace corkwallery::platform::wayland
