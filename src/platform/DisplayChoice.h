#pragma once

#include <optional>
#include <string>

namespace corkwallery::platform {

// The environment variables that decide which display the application talks to.
struct DisplayEnvironment {
    std::optional<std::string> qpaPlatform;  // QT_QPA_PLATFORM
    std::optional<std::string> display;      // DISPLAY

    static DisplayEnvironment fromProcess();
};

struct DisplayChoice {
    enum Kind {
        AsConfigured,  // "offscreen" was asked for (tests, headless pictures): honoured as given
        X11,           // DISPLAY is set: run on it, once it answers
        NoX11Display,  // no DISPLAY and no offscreen request: the program cannot run
    };
    Kind kind = NoX11Display;
    // For X11: the value QT_QPA_PLATFORM gets ("xcb", or the "xcb:<options>" asked for).
    std::string qpaPlatform;
    // For X11: another platform that was asked for and is not used (e.g. "wayland"), else empty.
    std::string overridden;

    friend bool operator==(const DisplayChoice&, const DisplayChoice&) = default;
};

// Only X11 lets a program place its own windows and keep them at desktop level; a native Wayland
// client would have the compositor place them, and quitting would save those places over the
// user's layout. So X11 is used whenever a display is there, inside a Wayland session too (through
// XWayland), whatever QT_QPA_PLATFORM asks; empty variables count as unset.
DisplayChoice chooseDisplay(const DisplayEnvironment& environment);

// Applies chooseDisplay to this process before the QApplication exists: sets QT_QPA_PLATFORM,
// checks that the X11 display answers, prints one line on standard error when a requested platform
// is set aside, and exits the process with status 1 and a clear line when there is no display.
void prepareDisplay();

}  // namespace corkwallery::platform
