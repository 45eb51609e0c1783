#include "platform/DisplayChoice.h"

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/DesktopSurface.h"
#include "platform/wayland/LayerShell.h"
#include "platform/x11/X11Surface.h"
#include "platform/x11/Xcb.h"

namespace corkwallery::platform {

namespace {

std::optional<std::string> variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

// `platform` names `name`, perhaps with options after a colon ("xcb:nodndsupport").
bool names(const std::string& platform, const std::string& name) {
    return platform == name || platform.starts_with(name + ":");
}

bool canConnectToDisplay(const std::string& display) {
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    // A failed connection is still an object that must be released.
    const bool connected = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return connected;
}

[[noreturn]] void failWithoutDisplay(const std::string& reason) {
    std::fprintf(stderr,
                 "corkwallery: cannot start: %s; Corkwallery needs an X11 session or XWayland\n",
                 reason.c_str());
    std::exit(1);
}

}  // namespace

// The compositor is asked only when nothing else decides: offscreen and xcb are taken as asked.
DisplayEnvironment DisplayEnvironment::fromProcess() {
    DisplayEnvironment environment{variable("QT_QPA_PLATFORM"), variable("DISPLAY")};
    const std::string asked = environment.qpaPlatform.value_or("");
    environment.layerShell = !names(asked, "offscreen") && !names(asked, "xcb") &&
                             !variable("WAYLAND_DISPLAY").value_or("").empty() &&
                             wayland::compositorOffersLayerShell();
    return environment;
}

DisplayChoice chooseDisplay(const DisplayEnvironment& environment) {
    const std::string asked = environment.qpaPlatform.value_or("");
    if (names(asked, "offscreen"))
        return {DisplayChoice::AsConfigured, asked, {}};
    if (environment.layerShell && !names(asked, "xcb")) {
        if (names(asked, "wayland") || names(asked, "wayland-egl"))
            return {DisplayChoice::Wayland, asked, {}};
        return {DisplayChoice::Wayland, "wayland", asked};
    }
    if (environment.display.value_or("").empty())
        return {DisplayChoice::NoX11Display, {}, {}};
    if (names(asked, "xcb"))
        return {DisplayChoice::X11, asked, {}};
    return {DisplayChoice::X11, "xcb", asked};
}

void prepareDisplay() {
    const DisplayEnvironment environment = DisplayEnvironment::fromProcess();
    const DisplayChoice choice = chooseDisplay(environment);
    if (choice.kind == DisplayChoice::AsConfigured)
        return;
    if (choice.kind == DisplayChoice::NoX11Display)
        failWithoutDisplay("no X11 display (DISPLAY is not set)");
    std::string where = "on Wayland, where the compositor lets Corkwallery place";
    if (choice.kind == DisplayChoice::X11) {
        // Qt aborts when it cannot connect, so try first and fail cleanly.
        if (!canConnectToDisplay(*environment.display))
            failWithoutDisplay("cannot connect to the X11 display \"" + *environment.display +
                               "\"");
        where = "on the X11 display \"" + *environment.display + "\", where Corkwallery can place";
    } else {
        // Qt would hold every top-level window at its screen's corner: ours are where they say.
        ::setenv("QT_WAYLAND_DISABLE_FIXED_POSITIONS", "1", 1);
    }
    if (!choice.overridden.empty())
        std::fprintf(stderr,
                     "corkwallery: QT_QPA_PLATFORM=%s ignored: running %s its windows at desktop "
                     "level\n",
                     choice.overridden.c_str(), where.c_str());
    ::setenv("QT_QPA_PLATFORM", choice.qpaPlatform.c_str(), 1);
}

void chooseDesktopSurfaces() {
    if (x11::xcb::connection() != nullptr)
        DesktopSurface::install([](QWindow* window) { return new x11::X11Surface(window); });
    else if (wayland::isRunning())
        DesktopSurface::install(wayland::makeLayerSurface);
}

}  // namespace corkwallery::platform
