#include "platform/DisplayChoice.h"

#include <gtest/gtest.h>

namespace corkwallery::platform {
namespace {

struct DisplayCase {
    const char* name;
    DisplayEnvironment environment;
    DisplayChoice expected;
};

TEST(DisplayChoiceTest, X11WheneverADisplayIsThereWhateverElseWasAskedForButOffscreen) {
    const std::optional<std::string> unset;
    const DisplayChoice noDisplay{DisplayChoice::NoX11Display, {}, {}};
    const DisplayCase cases[] = {
        {"nothing asked for", {unset, ":0"}, {DisplayChoice::X11, "xcb", {}}},
        {"empty platform counts as unset", {"", ":1"}, {DisplayChoice::X11, "xcb", {}}},
        {"xcb asked for", {"xcb", ":0"}, {DisplayChoice::X11, "xcb", {}}},
        {"xcb options kept",
         {"xcb:nodndsupport", ":0"},
         {DisplayChoice::X11, "xcb:nodndsupport", {}}},
        {"wayland set aside", {"wayland", ":0"}, {DisplayChoice::X11, "xcb", "wayland"}},
        {"fallback list set aside",
         {"wayland;xcb", ":0"},
         {DisplayChoice::X11, "xcb", "wayland;xcb"}},
        {"offscreen honoured", {"offscreen", ":0"}, {DisplayChoice::AsConfigured, "offscreen", {}}},
        {"offscreen options honoured",
         {"offscreen:configfile=a.json", unset},
         {DisplayChoice::AsConfigured, "offscreen:configfile=a.json", {}}},
        {"not a prefix of offscreen",
         {"offscreenish", ":0"},
         {DisplayChoice::X11, "xcb", "offscreenish"}},
        {"no DISPLAY", {unset, unset}, noDisplay},
        {"empty DISPLAY", {unset, ""}, noDisplay},
        {"wayland without XWayland", {"wayland", unset}, noDisplay},
        {"xcb without DISPLAY", {"xcb", unset}, noDisplay},
    };
    for (const DisplayCase& c : cases)
        EXPECT_EQ(chooseDisplay(c.environment), c.expected) << c.name;
}

}  // namespace
}  // namespace corkwallery::platform
