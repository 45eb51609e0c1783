#include <gtest/gtest.h>

#include <memory>

#include "photo/DraggableImageView.h"
#include "platform/Panel.h"

namespace corkwallery {
namespace {

using platform::Panel;
using platform::Rect;
using platform::Size;

struct FitCase {
    Size photo;
    double angle;
    Size window;
    Rect photoRect;
    double pinX;
    double pinY;
};

class PhotoFitTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(PhotoFitTest, SizesWindowAndPlacesPhotoAndPin) {
    const FitCase& c = GetParam();
    Panel panel(Rect(500, 300, c.photo.width, c.photo.height));
    auto owned = std::make_unique<DraggableImageView>(Rect({0, 0}, c.photo));
    DraggableImageView& view = *owned;
    panel.setContentView(std::move(owned));

    view.fitWindowToPhoto(c.photo, c.angle);

    EXPECT_EQ(panel.frame().size, c.window);
    EXPECT_EQ(view.bounds().size, c.window);
    EXPECT_EQ(view.imageLayer().frame(), c.photoRect);
    EXPECT_DOUBLE_EQ(view.imageLayer().transform().rotation, c.angle);
    const Rect pin = view.pinLayer().frame();
    EXPECT_NEAR(pin.minX(), c.pinX, 0.0005);
    EXPECT_NEAR(pin.minY(), c.pinY, 0.0005);
    EXPECT_EQ(pin.size, (Size{24, 24}));
    EXPECT_DOUBLE_EQ(view.pinLayer().transform().rotation, c.angle);
    EXPECT_DOUBLE_EQ(view.pinLayer().zPosition(), 10);
    EXPECT_DOUBLE_EQ(view.imageLayer().zPosition(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, PhotoFitTest,
    ::testing::Values(
        FitCase{{300, 200}, 0.0, {300, 218}, Rect(0, 0, 300, 200), 138, 192},
        FitCase{{300, 200}, 0.1, {319, 247}, Rect(9.5, 14.5, 300, 200), 137.517, 206.000},
        FitCase{{300, 200}, -0.1, {319, 247}, Rect(9.5, 14.5, 300, 200), 157.483, 206.000},
        FitCase{{200, 300},
                0.13962634015954636,
                {240, 343},
                Rect(20, 12.5, 200, 300),
                87.124,
                303.040}));

TEST(PhotoFit, RefitKeepsTheWindowCentreOnHalfPoints) {
    Panel panel(Rect(100, 100, 300, 218));
    auto owned = std::make_unique<DraggableImageView>(Rect(0, 0, 300, 218));
    DraggableImageView& view = *owned;
    panel.setContentView(std::move(owned));
    view.fitWindowToPhoto({300, 200}, 0.1);
    EXPECT_EQ(panel.frame(), Rect(90.5, 85.5, 319, 247));
}

TEST(PhotoFit, WithoutWindowOnlyStoresAndLaysOut) {
    DraggableImageView view(Rect(0, 0, 300, 200));
    view.fitWindowToPhoto({300, 200}, 0.1);
    EXPECT_EQ(view.baseImageSize(), (Size{300, 200}));
    EXPECT_DOUBLE_EQ(view.rotationAngle(), 0.1);
    EXPECT_EQ(view.frame(), Rect(0, 0, 300, 200));
    EXPECT_EQ(view.imageLayer().frame(), Rect(0, -9, 300, 200));
}

TEST(PhotoFit, NewViewHasNoGeometryUntilFitted) {
    DraggableImageView view(Rect(0, 0, 300, 200));
    view.layoutLayers();
    EXPECT_EQ(view.imageLayer().frame(), Rect());
    EXPECT_EQ(view.pinLayer().frame(), Rect());
    EXPECT_EQ(view.baseImageSize(), (Size{0, 0}));
    EXPECT_EQ(view.pinColorName(), "red");
    EXPECT_TRUE(view.pinLayer().contents().has_value());
    EXPECT_FALSE(view.isLocked());
}

}  // namespace
}  // namespace corkwallery
