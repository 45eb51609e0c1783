#include "platform/DisplayChoice.h"

#include <cstdlib>

namespace corkwallery::platform {

namespace {
std::optional<std::string> variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr)
        return std::nullopt;
    return std::string(value);
}

bool isSet(const std::optional<std::string>& value) {
    return value && !value->empty();
}

// `platform` names `name`, perhaps with options after a colon ("xcb:nodndsupport").
bool names(const std::string& platform, const std::string& name) {
    return platform == name || platform.rfind(name + ":", 0) == 0;
}
}  // namespace

DisplayEnvironment DisplayEnvironment::fromProcess() {
    return {variable("QT_QPA_PLATFORM"), variable("DISPLAY")};
}

DisplayChoice chooseDisplay(const DisplayEnvironment& environment) {
    const std::string asked = environment.qpaPlatform.value_or("");
    if (names(asked, "offscreen"))
        return {DisplayChoice::AsConfigured, asked, {}};
    if (!isSet(environment.display))
        return {DisplayChoice::NoX11Display, {}, {}};
    if (names(asked, "xcb"))
        return {DisplayChoice::X11, asked, {}};
    return {DisplayChoice::X11, "xcb", asked};
}

}  // namespace corkwallery::platform
