#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>
#include <memory>

#include "photo/DraggableImageView.h"
#include "photo/PinColors.h"
#include "platform/ImageImpl.h"
#include "platform/Panel.h"
#include "platform/ViewWidget.h"

namespace corkwallery {
namespace {

using platform::Panel;
using platform::Rect;
using platform::Size;

struct PinWindow {
    std::unique_ptr<Panel> panel;
    DraggableImageView* view;
};

PinWindow makePinWindow(QImage photo, Size size, double angle, const std::string& colorName) {
    auto panel = std::make_unique<Panel>(Rect(200, 200, size.width, size.height));
    panel->setOpaque(false);
    panel->setBackgroundColor(platform::Color::clear());
    auto owned = std::make_unique<DraggableImageView>(Rect({0, 0}, size));
    DraggableImageView* view = owned.get();
    const platform::Image image = platform::imageFromQImage(std::move(photo));
    view->setImage(image);
    view->imageLayer().setContents(image);
    view->setPinColorName(colorName);
    view->renderPinImage();
    panel->setContentView(std::move(owned));
    view->fitWindowToPhoto(size, angle);
    return {std::move(panel), view};
}

QImage render(const Panel& panel, double dpr) {
    const Size s = panel.frame().size;
    QImage out(static_cast<int>(s.width * dpr), static_cast<int>(s.height * dpr),
               QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(dpr);
    out.fill(Qt::transparent);
    // What the photo view draws, in the frame without the drawing margin around it; the window
    // shows it through its surface (WindowSurfaceTest).
    QWidget* widget = panel.contentView()->widget();
    const int margin = static_cast<int>(panel.drawingMargin());
    widget->render(&out, QPoint(-margin, -margin), QRegion(), QWidget::DrawChildren);
    return out;
}

// The pixel under a point of the view (y up, in points).
QColor pixelAt(const QImage& image, double x, double yUp) {
    const double dpr = image.devicePixelRatio();
    const int px = static_cast<int>(std::floor(x * dpr));
    const int py = static_cast<int>(std::floor((image.height() / dpr - yUp) * dpr));
    return image.pixelColor(px, py);
}

bool near(const QColor& actual, platform::Color expected, double tolerance = 0.02) {
    return std::abs(actual.redF() - expected.red) <= tolerance &&
           std::abs(actual.greenF() - expected.green) <= tolerance &&
           std::abs(actual.blueF() - expected.blue) <= tolerance &&
           std::abs(actual.alphaF() - expected.alpha) <= tolerance;
}

QImage solid(QColor color) {
    QImage image(60, 40, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

struct ColorCase {
    const char* name;
    const char* drawnAs;
};

class PinColorTest : public ::testing::TestWithParam<ColorCase> {};

TEST_P(PinColorTest, PinCentreHasThePinColourAndPhotoCentreThePhoto) {
    const auto [name, drawnAs] = GetParam();
    for (double dpr : {1.0, 2.0}) {
        auto window = makePinWindow(solid(QColor(30, 160, 220)), {300, 200}, 0.1, name);
        const QImage image = render(*window.panel, dpr);
        const Rect pin = window.view->pinLayer().frame();
        EXPECT_TRUE(near(pixelAt(image, pin.midX(), pin.midY()), pinColor(drawnAs)))
            << name << " at " << dpr
            << "x: " << pixelAt(image, pin.midX(), pin.midY()).name().toStdString();
        const Rect photo = window.view->imageLayer().frame();
        EXPECT_TRUE(near(pixelAt(image, photo.midX(), photo.midY()),
                         {30 / 255.0, 160 / 255.0, 220 / 255.0, 1}));
        // The window's corners lie outside the tilted photo and the pin.
        for (auto [x, y] : {std::pair{1.0, 1.0}, {317.5, 1.0}, {1.0, 245.5}, {317.5, 245.5}}) {
            EXPECT_EQ(pixelAt(image, x, y).alpha(), 0) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Names, PinColorTest,
                         ::testing::Values(ColorCase{"red", "red"}, ColorCase{"blue", "blue"},
                                           ColorCase{"green", "green"},
                                           ColorCase{"yellow", "yellow"},
                                           ColorCase{"purple", "red"}, ColorCase{"Red", "red"}));

TEST(PhotoRendering, RoundedCornersAreCut) {
    auto window = makePinWindow(solid(Qt::black), {300, 200}, 0.0, "red");
    const QImage image = render(*window.panel, 1);
    EXPECT_EQ(pixelAt(image, 1, 1).alpha(), 0);      // inside the 12-point corner radius
    EXPECT_EQ(pixelAt(image, 12, 12).alpha(), 255);  // past it
    EXPECT_EQ(pixelAt(image, 150, 1).alpha(), 255);  // bottom edge
    EXPECT_EQ(pixelAt(image, 100, 210).alpha(), 0);  // above the photo, beside the pin
}

// At 2x every device pixel of the photo must come from its own source pixel: a one-pixel
// checkerboard survives only if nothing is drawn at half resolution and scaled up.
TEST(PhotoRendering, DoubleDensityRendersAtFullResolution) {
    QImage checker(600, 400, QImage::Format_ARGB32);
    for (int y = 0; y < checker.height(); ++y)
        for (int x = 0; x < checker.width(); ++x)
            checker.setPixelColor(x, y, (x + y) % 2 ? Qt::white : Qt::black);
    auto window = makePinWindow(checker, {300, 200}, 0.0, "red");
    const QImage image = render(*window.panel, 2);
    const int cx = 300, cy = 2 * 218 - 200;  // device pixels near the photo's centre
    int contrasting = 0;
    for (int dx = 0; dx < 10; ++dx) {
        const int a = qGray(image.pixel(cx + dx, cy));
        const int b = qGray(image.pixel(cx + dx + 1, cy));
        if (std::abs(a - b) > 200)
            ++contrasting;
    }
    EXPECT_EQ(contrasting, 10);
}

// Pins are drawn from a kept rendering: whatever changed since, the next paint must show it.
TEST(PhotoRendering, KeptRenderingFollowsResizeAndNewContents) {
    QImage stripes(600, 400, QImage::Format_ARGB32);
    for (int x = 0; x < stripes.width(); ++x)
        for (int y = 0; y < stripes.height(); ++y)
            stripes.setPixelColor(x, y, x % 6 < 3 ? Qt::white : Qt::darkBlue);
    auto window = makePinWindow(stripes, {300, 200}, 0.1, "red");
    render(*window.panel, 1);
    DraggableImageView& view = *window.view;
    const platform::Point centre{window.panel->frame().midX(), window.panel->frame().midY()};
    view.mouseDown({centre, platform::ModifierOption});
    view.mouseDragged({{centre.x + 100, centre.y}, 0});
    const QImage during = render(*window.panel, 1);
    EXPECT_EQ(during.size(), QSize(478, 362));
    const Rect photo = view.imageLayer().frame();
    EXPECT_EQ(pixelAt(during, photo.midX(), photo.midY()).alpha(), 255);
    view.mouseUp({{centre.x + 100, centre.y}, 0});

    auto fresh = makePinWindow(stripes, {450, 300}, 0.1, "red");
    EXPECT_EQ(render(*window.panel, 1), render(*fresh.panel, 1));

    const auto black = platform::imageFromQImage(solid(Qt::black));
    view.imageLayer().setContents(black);
    EXPECT_TRUE(near(pixelAt(render(*window.panel, 1), photo.midX(), photo.midY()),
                     platform::Color::black()));
}

}  // namespace
}  // namespace corkwallery
