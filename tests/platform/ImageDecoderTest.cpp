#include "platform/ImageDecoder.h"

#include <gtest/gtest.h>

#include <QColor>
#include <algorithm>
#include <filesystem>

#include "platform/ImageImpl.h"
#include "support/ImageFiles.h"
#include "support/TemporaryHome.h"

namespace corkwallery::platform {
namespace {

using corkwallery::testing::markedPicture;
using corkwallery::testing::TemporaryHome;

double longerSide(Size size) {
    return std::max(size.width, size.height);
}

enum Corner { TopLeft, TopRight, BottomLeft, BottomRight };

QColor pixelNear(const Image& image, Corner corner) {
    const QImage* pixels = image.impl().bitmap();
    const bool right = corner == TopRight || corner == BottomRight;
    const bool bottom = corner == BottomLeft || corner == BottomRight;
    return pixels->pixelColor(right ? pixels->width() - 2 : 1, bottom ? pixels->height() - 2 : 1);
}

struct SizeCase {
    const char* name;
    int asked;       // longer side asked, 0 for the whole picture
    double decoded;  // longer side expected
};

class ImageDecoderSizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(ImageDecoderSizes, DecodesNoFinerThanAskedAndKeepsTheNaturalSize) {
    const TemporaryHome home;
    const auto path = home.root() / "photo.jpg";
    corkwallery::testing::writeJpeg(path, markedPicture(1200, 800, Qt::blue, Qt::red));

    const auto image = ImageDecoder::decode(path.string(), GetParam().asked);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), (Size{1200, 800}));
    EXPECT_NEAR(longerSide(image->pixelSize()), GetParam().decoded, 1);
    EXPECT_NEAR(image->pixelSize().width / image->pixelSize().height, 1.5, 0.01);
}

INSTANTIATE_TEST_SUITE_P(, ImageDecoderSizes,
                         ::testing::Values(SizeCase{"Whole", 0, 1200}, SizeCase{"Eighth", 150, 150},
                                           SizeCase{"BetweenSteps", 375, 375},
                                           SizeCase{"LargerThanThePhoto", 5000, 1200}),
                         [](const auto& test) { return std::string(test.param.name); });

struct OrientationCase {
    int tag;
    Size natural;
    Corner marker;  // where the stored top-left corner ends up, upright
};

class ImageDecoderOrientation : public ::testing::TestWithParam<OrientationCase> {};

TEST_P(ImageDecoderOrientation, TurnsUprightWhetherWholeOrReduced) {
    const TemporaryHome home;
    const auto path = home.root() / "turned.jpg";
    corkwallery::testing::writeJpeg(path, markedPicture(400, 200, Qt::blue, Qt::red),
                                    GetParam().tag);

    EXPECT_EQ(ImageDecoder::naturalSize(path.string()), GetParam().natural);
    for (int asked : {0, 100}) {
        const auto image = ImageDecoder::decode(path.string(), asked);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->size(), GetParam().natural);
        const Size pixels = image->pixelSize();
        EXPECT_EQ(pixels.width > pixels.height,
                  GetParam().natural.width > GetParam().natural.height);
        const QColor marked = pixelNear(*image, GetParam().marker);
        EXPECT_GT(marked.red(), 200) << "asked " << asked;
        EXPECT_LT(marked.blue(), 60) << "asked " << asked;
    }
}

// 1: as stored; 2 and 4: mirrored; 3: turned half; 6: a quarter clockwise; 8: a quarter
// anticlockwise; 5 and 7: mirrored across a diagonal.
INSTANTIATE_TEST_SUITE_P(, ImageDecoderOrientation,
                         ::testing::Values(OrientationCase{1, {400, 200}, TopLeft},
                                           OrientationCase{2, {400, 200}, TopRight},
                                           OrientationCase{3, {400, 200}, BottomRight},
                                           OrientationCase{4, {400, 200}, BottomLeft},
                                           OrientationCase{5, {200, 400}, TopLeft},
                                           OrientationCase{6, {200, 400}, TopRight},
                                           OrientationCase{7, {200, 400}, BottomRight},
                                           OrientationCase{8, {200, 400}, BottomLeft}));

TEST(ImageDecoder, RefusesWhatIsNoPictureOrTooLarge) {
    const TemporaryHome home;
    const auto bomb = home.root() / "bomb.png";
    corkwallery::testing::writePngHeaderOnly(bomb, 30000, 30000);
    const auto empty = home.root() / "empty.jpg";
    corkwallery::testing::writeBytes(empty, "");
    const auto text = home.root() / "notes.png";
    corkwallery::testing::writeBytes(text, "not a picture at all");

    for (const auto& path : {bomb, empty, text, home.root() / "missing.jpg"}) {
        EXPECT_FALSE(ImageDecoder::naturalSize(path.string())) << path;
        EXPECT_FALSE(ImageDecoder::decode(path.string())) << path;
        EXPECT_FALSE(ImageDecoder::decode(path.string(), 300)) << path;
    }
}

TEST(ImageDecoder, AcceptsAHeaderJustUnderThePixelCap) {
    const TemporaryHome home;
    const auto path = home.root() / "large.png";
    corkwallery::testing::writePngHeaderOnly(path, 10000, 10000);
    EXPECT_EQ(ImageDecoder::naturalSize(path.string()), (Size{10000, 10000}));
}

TEST(ImageDecoder, ReducedCopyKeepsTheNaturalSizeAndShape) {
    const auto image =
        imageFromQImage(markedPicture(900, 600, Qt::blue, Qt::red), Size{9000, 6000});
    const Image reduced = image.reducedTo(300);
    EXPECT_EQ(reduced.size(), (Size{9000, 6000}));
    EXPECT_EQ(reduced.pixelSize(), (Size{300, 200}));
    EXPECT_TRUE(image.reducedTo(900) == image);
}

}  // namespace
}  // namespace corkwallery::platform
