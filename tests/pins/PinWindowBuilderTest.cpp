#include "pins/PinWindowBuilder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QObject>
#include <QWidget>
#include <vector>

#include "platform/ImageImpl.h"
#include "platform/PanelWidget.h"
#include "platform/ScreenCoordinates.h"

namespace corkwallery {
namespace {

using platform::Point;
using platform::Rect;
using platform::Size;

// Records the native geometry each time the window is shown.
class ShowRecorder : public QObject {
public:
    std::vector<QRect> shownAt;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        const auto* widget = qobject_cast<QWidget*>(object);
        if (event->type() == QEvent::Show && widget != nullptr && widget->isWindow()) {
            shownAt.push_back(widget->geometry());
        }
        return false;
    }
};

PinParameters photo(Size size, double angle, std::optional<Point> center) {
    QImage pixels(80, 60, QImage::Format_ARGB32);
    pixels.fill(Qt::gray);
    return {platform::imageFromQImage(pixels),
            "A-beach.jpg",
            "/home/me/beach.jpg",
            size.width,
            size.height,
            angle,
            "blue",
            true,
            center};
}

struct PlacementCase {
    Size size;
    double angle;
    std::optional<Point> center;
    Rect frame;
};

class PinWindowPlacement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(PinWindowPlacement, IsShownOnceAtItsFinalFrame) {
    const PlacementCase& c = GetParam();
    ShowRecorder recorder;
    // Catch the show of the window as it is built: filter every new top-level widget.
    qApp->installEventFilter(&recorder);
    auto panel = PinWindowBuilder::build(photo(c.size, c.angle, c.center));
    qApp->removeEventFilter(&recorder);

    EXPECT_EQ(panel->frame(), c.frame);
    EXPECT_TRUE(panel->isVisible());
    const QWidget* widget = panel->widget();
    ASSERT_FALSE(recorder.shownAt.empty());
    const double m = panel->drawingMargin();
    const Rect native(c.frame.minX() - m, c.frame.minY() - m, c.frame.width() + 2 * m,
                      c.frame.height() + 2 * m);
    EXPECT_EQ(recorder.shownAt.front(), platform::toQtWindowGeometry(native));
    EXPECT_EQ(recorder.shownAt.front(), widget->geometry());
}

INSTANTIATE_TEST_SUITE_P(
    Frames, PinWindowPlacement,
    ::testing::Values(
        // Without a centre the window stays on the main screen's centre (720, 450).
        PlacementCase{{300, 200}, 0, std::nullopt, Rect(570, 341, 300, 218)},
        PlacementCase{{300, 200}, 0.1, std::nullopt, Rect(560.5, 326.5, 319, 247)},
        PlacementCase{{300, 200}, 0, Point{500, 400}, Rect(350, 291, 300, 218)},
        PlacementCase{
            {200, 300}, -0.13962634015954636, Point{412.5, 640.25}, Rect(292.5, 468.75, 240, 343)},
        // Off every screen: used unchanged.
        PlacementCase{{300, 225}, 0, Point{-5000, 9000}, Rect(-5150, 8878.5, 300, 243)}));

}  // namespace
}  // namespace corkwallery
