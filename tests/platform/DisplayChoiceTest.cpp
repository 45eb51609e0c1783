#include "platform/DisplayChoice.h"

#include <gtest/gtest.h>

namespace corkwallery::platform {
namespace {

TEST(DisplayChoice, X11WheneverADisplayIsThereWhateverElseWasAskedForButOffscreen) {
    const std::optional<std::string> unset;
    const DisplayChoice none{DisplayChoice::NoX11Display, {}, {}};
    const std::pair<DisplayEnvironment, DisplayChoice> cases[] = {
        {{unset, ":0"}, {DisplayChoice::X11, "xcb", {}}},
        {{"", ":1"}, {DisplayChoice::X11, "xcb", {}}},
        {{"xcb", ":0"}, {DisplayChoice::X11, "xcb", {}}},
        {{"xcb:nodndsupport", ":0"}, {DisplayChoice::X11, "xcb:nodndsupport", {}}},
        {{"wayland", ":0"}, {DisplayChoice::X11, "xcb", "wayland"}},
        {{"wayland;xcb", ":0"}, {DisplayChoice::X11, "xcb", "wayland;xcb"}},
        {{"offscreen", ":0"}, {DisplayChoice::AsConfigured, "offscreen", {}}},
        {{"offscreen:configfile=a.json", unset},
         {DisplayChoice::AsConfigured, "offscreen:configfile=a.json", {}}},
        {{"offscreenish", ":0"}, {DisplayChoice::X11, "xcb", "offscreenish"}},
        {{unset, unset}, none},
        {{unset, ""}, none},
        {{"wayland", unset}, none},
        {{"xcb", unset}, none},
    };
    for (const auto& [environment, choice] : cases)
        EXPECT_EQ(chooseDisplay(environment), choice)
            << environment.qpaPlatform.value_or("(unset)") << " "
            << environment.display.value_or("(unset)");
}

}  // namespace
}  // namespace corkwallery::platform
