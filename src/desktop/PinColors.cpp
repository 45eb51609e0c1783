#include "desktop/PinColors.h"

namespace corkwallery {

QColor pinColor(const std::string& name) {
    if (name == "blue")
        return QColor::fromRgbF(0.15f, 0.4f, 0.85f);
    if (name == "green")
        return QColor::fromRgbF(0.2f, 0.7f, 0.3f);
    if (name == "yellow")
        return QColor::fromRgbF(0.9f, 0.75f, 0.1f);
    return QColor::fromRgbF(0.85f, 0.15f, 0.15f);
}

}  // namespace corkwallery
