#pragma once

#include <optional>
#include <string>

namespace corkwallery::platform {

// The environment variables that decide which display the application talks to.
struct DisplayEnvironment {
    std::optional<std::string> qpaPlatform;  // QT_QPA_PLATFORM
    std::optional<std::string> display;      // DISPLAY
    std::optional<std::string> sessionType;  // XDG_SESSION_TYPE

    static DisplayEnvironment fromProcess();
};

enum class DisplayChoice {
    AsConfigured,  // a platform other than X11 was asked for explicitly (offscreen, tests)
    X11,           // X11 was asked for explicitly; DISPLAY must be reachable
    RequestX11,    // nothing was asked for and DISPLAY is set: ask for X11 (XWayland too)
    NoX11Display,  // nothing was asked for and there is no DISPLAY
};

// Only X11 lets a program place its own windows and keep them at desktop level, so X11 is used
// whenever a display is there, also inside a Wayland session; empty variables count as unset.
DisplayChoice chooseDisplay(const DisplayEnvironment& environment);

}  // namespace corkwallery::platform
