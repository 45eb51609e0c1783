#pragma once

#include <optional>
#include <string>

namespace corkwallery::platform {

// The environment variables that decide which display the application talks to.
struct DisplayEnvironment {
    std::optional<std::string> qpaPlatform;  // QT_QPA_PLATFORM
    std::optional<std::string> display;      // DISPLAY
    // A Wayland compositor answers on WAYLAND_DISPLAY, offers layer-shell, and this build can use
    // it. Only asked of the compositor where it can matter (see prepareDisplay).
    bool layerShell = false;

    static DisplayEnvironment fromProcess();
};

struct DisplayChoice {
    enum Kind {
        AsConfigured,  // "offscreen" was asked for (tests, headless pictures): honoured as given
        X11,           // DISPLAY is set: run on it, once it answers
        Wayland,       // natively on a compositor with layer-shell
        NoX11Display,  // neither, and no offscreen request: the program cannot run
    };
    Kind kind = NoX11Display;
    // The value QT_QPA_PLATFORM gets ("xcb" or "wayland", or that with the options asked for).
    std::string qpaPlatform;
    // Another platform that was asked for and is not used (e.g. "wayland" on GNOME), else empty.
    std::string overridden;

    friend bool operator==(const DisplayChoice&, const DisplayChoice&) = default;
};

// A program places its own windows at desktop level only on X11 and, on Wayland, as layer surfaces;
// a plain Wayland client would have the compositor place them, and quitting would save those
// places over the user's layout. So: layer surfaces where the compositor offers them, unless
// QT_QPA_PLATFORM names xcb; otherwise X11 whenever a display is there (XWayland on GNOME),
// whatever else QT_QPA_PLATFORM asks. Empty variables count as unset.
DisplayChoice chooseDisplay(const DisplayEnvironment& environment);

// Applies chooseDisplay to this process before the QApplication exists: asks a Wayland compositor
// whether it offers layer-shell, sets QT_QPA_PLATFORM, checks that the X11 display answers, prints
// one line on standard error when a requested platform is set aside, and exits the process with
// status 1 and a clear line when there is no display.
void prepareDisplay();

// Once the QGuiApplication exists, for the platform Qt runs on: desktop windows as X11 windows on
// xcb, as layer surfaces on Wayland, and through Qt alone elsewhere (offscreen: the null ones).
void chooseDesktopSurfaces();

}  // namespace corkwallery::platform
