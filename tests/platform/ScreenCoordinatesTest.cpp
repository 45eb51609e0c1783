#include "platform/ScreenCoordinates.h"

#include <gtest/gtest.h>

#include <QWidget>

#include "platform/Panel.h"
#include "platform/PanelWidget.h"
#include "platform/Screen.h"

// Runs with a primary screen at Qt (1000, 100, 1440 x 900) and a second screen to its right at
// (2440, 0, 1000 x 700) with a device-pixel ratio of 2 (two-screens.json).
namespace corkwallery::platform {
namespace {

TEST(ScreenCoordinates, PrimaryScreenHasTheOriginAtItsBottomLeft) {
    const auto main = Screen::main();
    ASSERT_TRUE(main.has_value());
    EXPECT_EQ(main->frame, Rect(0, 0, 1440, 900));
    const auto screens = Screen::all();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[1].frame, Rect(1440, 300, 1000, 700));
    EXPECT_EQ(screens[1].devicePixelRatio, 2);
}

struct PointCase {
    QPointF qt;
    Point screen;
};

class PointConversion : public ::testing::TestWithParam<PointCase> {};

TEST_P(PointConversion, ConvertsBothWays) {
    const auto& [qt, screen] = GetParam();
    EXPECT_EQ(fromQt(qt), screen);
    EXPECT_EQ(toQt(screen), qt);
}

INSTANTIATE_TEST_SUITE_P(Points, PointConversion,
                         ::testing::Values(PointCase{{1000, 1000}, {0, 0}},  // primary bottom-left
                                           PointCase{{2440, 100},
                                                     {1440, 900}},  // primary top-right
                                           PointCase{{2940, 350}, {1940, 650}},  // second screen
                                           PointCase{{1720.5, 550.25}, {720.5, 449.75}}));

TEST(ScreenCoordinates, RectanglesUseTheirFullHeight) {
    EXPECT_EQ(toQt(Rect(10, 20, 300, 218)), QRectF(1010, 762, 300, 218));
    EXPECT_EQ(fromQt(QRectF(1010, 762, 300, 218)), Rect(10, 20, 300, 218));
    EXPECT_EQ(toQtWindowGeometry(Rect(90.5, 85.5, 319, 247)), QRect(1091, 668, 319, 247));
}

TEST(ScreenCoordinates, PanelKeepsItsExactFrameAndPlacesTheNativeWindow) {
    Panel panel(Rect(1500.5, 412.5, 300, 218));
    const QWidget* widget = static_cast<const QWidget*>(panel.widget());
    EXPECT_EQ(widget->geometry(), QRect(2501, 370, 300, 218));  // rounded copy, second screen
    EXPECT_EQ(panel.frame(), Rect(1500.5, 412.5, 300, 218));
    panel.setFrameOrigin({0.25, 0.75});
    EXPECT_EQ(panel.frame().origin, (Point{0.25, 0.75}));
    EXPECT_EQ(widget->pos(), QPoint(1000, 781));
}

}  // namespace
}  // namespace corkwallery::platform
