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
}  // namespace

DisplayEnvironment DisplayEnvironment::fromProcess() {
    return {variable("QT_QPA_PLATFORM"), variable("DISPLAY"), variable("XDG_SESSION_TYPE")};
}

DisplayChoice chooseDisplay(const DisplayEnvironment& environment) {
    if (isSet(environment.qpaPlatform)) {
        // "xcb" may carry options after a colon ("xcb:...").
        const std::string& platform = *environment.qpaPlatform;
        const bool x11 = platform == "xcb" || platform.rfind("xcb:", 0) == 0;
        if (!x11)
            return DisplayChoice::AsConfigured;
        return isSet(environment.display) ? DisplayChoice::X11 : DisplayChoice::NoX11Display;
    }
    return isSet(environment.display) ? DisplayChoice::RequestX11 : DisplayChoice::NoX11Display;
}

}  // namespace corkwallery::platform
