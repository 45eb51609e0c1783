#include "photo/PinColors.h"

#include <map>

namespace corkwallery {

namespace {
const std::map<std::string, platform::Color>& pinColors() {
    static const std::map<std::string, platform::Color> colors{
        {"red", {0.85, 0.15, 0.15, 1.0}},
        {"blue", {0.15, 0.4, 0.85, 1.0}},
        {"green", {0.2, 0.7, 0.3, 1.0}},
        {"yellow", {0.9, 0.75, 0.1, 1.0}},
    };
    return colors;
}
}  // namespace

platform::Color pinColor(const std::string& name) {
    const auto& colors = pinColors();
    auto it = colors.find(name);
    return it != colors.end() ? it->second : colors.at("red");
}

}  // namespace corkwallery
