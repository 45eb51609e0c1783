#include "pins/PinPlacement.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace corkwallery {
namespace {

using platform::Rect;

struct PlacementCase {
    const char* name;
    Rect frame;
    std::vector<Rect> screens;
    std::optional<Rect> expected;  // none: stays
};

void PrintTo(const PlacementCase& c, std::ostream* out) {
    *out << c.name;
}

class BroughtOnScreen : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(BroughtOnScreen, OnlyPinsNoScreenShowsEnoughOfMoveTheLeastDistance) {
    const PlacementCase& c = GetParam();
    EXPECT_EQ(PinPlacement::broughtOnScreen(c.frame, c.screens), c.expected);
}

const Rect kMain(0, 0, 1440, 900);
const Rect kRight(1440, 0, 1000, 700);  // shorter, beside the main screen

INSTANTIATE_TEST_SUITE_P(
    Cases, BroughtOnScreen,
    ::testing::Values(
        PlacementCase{"inside", Rect(100, 100, 300, 218), {kMain}, std::nullopt},
        PlacementCase{"48 points showing", Rect(-252, 100, 300, 218), {kMain}, std::nullopt},
        PlacementCase{
            "47 points showing", Rect(-253, 100, 300, 218), {kMain}, Rect(0, 100, 300, 218)},
        PlacementCase{"a corner 48 x 48 showing", Rect(1392, 852, 300, 218), {kMain}, std::nullopt},
        PlacementCase{"far below", Rect(600, -5000, 300, 218), {kMain}, Rect(600, 0, 300, 218)},
        PlacementCase{
            "off a corner", Rect(3000, 2000, 300, 218), {kMain}, Rect(1140, 682, 300, 218)},
        PlacementCase{"larger than the screen",
                      Rect(5000, 5000, 2000, 1200),
                      {kMain},
                      Rect(0, -300, 2000, 1200)},
        PlacementCase{"above the shorter screen",
                      Rect(1500, 800, 300, 200),
                      {kMain, kRight},
                      Rect(1500, 500, 300, 200)},
        PlacementCase{
            "on the second screen", Rect(2000, 300, 300, 200), {kMain, kRight}, std::nullopt},
        PlacementCase{"after the second screen went",
                      Rect(2000, 300, 300, 200),
                      {kMain},
                      Rect(1140, 300, 300, 200)},
        PlacementCase{"no screen", Rect(-9000, 0, 300, 200), {}, std::nullopt}));

}  // namespace
}  // namespace corkwallery
