#include "platform/DisplayChoice.h"

#include <gtest/gtest.h>

namespace corkwallery::platform {
namespace {

struct DisplayCase {
    const char* name;
    DisplayEnvironment environment;
    DisplayChoice expected;
};

TEST(DisplayChoiceTest, UsesX11WheneverADisplayIsThereAndNothingElseWasAskedFor) {
    const std::optional<std::string> unset;
    const DisplayCase cases[] = {
        {"X11 session", {unset, ":0", "x11"}, DisplayChoice::RequestX11},
        {"Wayland session with XWayland", {unset, ":0", "wayland"}, DisplayChoice::RequestX11},
        {"no session type", {unset, ":1", unset}, DisplayChoice::RequestX11},
        {"Wayland without XWayland", {unset, unset, "wayland"}, DisplayChoice::NoX11Display},
        {"empty DISPLAY", {unset, "", "x11"}, DisplayChoice::NoX11Display},
        {"empty platform counts as unset", {"", ":0", "wayland"}, DisplayChoice::RequestX11},
        {"offscreen asked for", {"offscreen", unset, unset}, DisplayChoice::AsConfigured},
        {"wayland asked for", {"wayland", ":0", "wayland"}, DisplayChoice::AsConfigured},
        {"xcb asked for", {"xcb", ":0", "wayland"}, DisplayChoice::X11},
        {"xcb with options", {"xcb:nodndsupport", ":0", unset}, DisplayChoice::X11},
        {"xcb without DISPLAY", {"xcb", unset, unset}, DisplayChoice::NoX11Display},
    };
    for (const DisplayCase& c : cases)
        EXPECT_EQ(chooseDisplay(c.environment), c.expected) << c.name;
}

}  // namespace
}  // namespace corkwallery::platform
