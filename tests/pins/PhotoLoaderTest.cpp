#include "pins/PhotoLoader.h"

#include <gtest/gtest.h>

#include <QColor>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <thread>

#include "photo/DraggableImageView.h"
#include "pins/PinWindowBuilder.h"
#include "platform/EventInjection.h"
#include "platform/ImageDecoder.h"
#include "platform/ImageImpl.h"
#include "platform/PreviewCache.h"
#include "store/AppFolders.h"
#include "store/PhotoCopies.h"
#include "support/ImageFiles.h"
#include "support/TemporaryHome.h"

namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using platform::Image;
using platform::PreviewCache;
using platform::Size;
using testing::markedPicture;
using testing::writeJpeg;

std::vector<fs::path> previews() {
    std::vector<fs::path> found;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(PreviewCache::folder(), ignored))
        found.push_back(entry.path());
    return found;
}

QColor middle(const Image& image) {
    const QImage* pixels = image.impl().bitmap();
    return pixels->pixelColor(pixels->width() / 2, pixels->height() / 2);
}

bool isBlueish(QColor c) {
    return c.blue() > 200 && c.red() < 60;
}

// A stored copy of a 2400 x 1600 photo, as the images folder holds it.
class PhotoLoading : public ::testing::Test {
protected:
    void SetUp() override { writeCopy(Qt::blue); }
    void writeCopy(QColor fill, int width = 2400) {
        writeJpeg(copy, markedPicture(width, width * 2 / 3, fill, Qt::red));
    }
    std::optional<Image> load(Size points = {300, 200}) {
        return PhotoLoader::loadStoredCopy(name, points);
    }

    testing::TemporaryHome home;
    std::string name = "0C9E3A4B-5D71-4F0E-9A2B-7E8F6D5C4B10-beach.jpg";
    fs::path copy = fs::path(AppFolders::imagesFolderURL()) / name;
};

TEST_F(PhotoLoading, FirstLoadDecodesSmallAndMakesOnePreviewOutsideTheAppFolder) {
    const auto image = load();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), (Size{2400, 1600}));
    EXPECT_LE(std::max(image->pixelSize().width, image->pixelSize().height), 375);
    ASSERT_EQ(previews().size(), 1u);
    const auto preview = platform::ImageDecoder::naturalSize(previews()[0].string());
    ASSERT_TRUE(preview);
    EXPECT_EQ(*preview, (Size{600, 400}));
    EXPECT_EQ(previews()[0].string().rfind(PreviewCache::folder(), 0), 0u);
    EXPECT_EQ(std::distance(fs::directory_iterator(AppFolders::appFolderURL()), {}), 1);
}

TEST_F(PhotoLoading, NextLoadShowsTheFreshPreview) {
    ASSERT_TRUE(load());
    // Repaint the preview in another colour: only a load from the preview shows it.
    writeJpeg(previews()[0], markedPicture(600, 400, Qt::green, Qt::green));
    const auto image = load();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), (Size{2400, 1600}));
    EXPECT_GT(middle(*image).green(), 100);
    EXPECT_LT(middle(*image).blue(), 60);
}

TEST_F(PhotoLoading, ChangedCopyGetsANewPreviewAndTheOldOneGoes) {
    ASSERT_TRUE(load());
    const fs::path old = previews()[0];
    writeCopy(Qt::yellow, 1800);
    fs::last_write_time(copy, fs::last_write_time(copy) + std::chrono::seconds(5));
    const auto image = load();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), (Size{1800, 1200}));
    EXPECT_GT(middle(*image).green(), 200);
    ASSERT_EQ(previews().size(), 1u);
    EXPECT_NE(previews()[0], old);
}

TEST_F(PhotoLoading, DamagedPreviewIsMadeAgainFromTheCopy) {
    ASSERT_TRUE(load());
    const fs::path preview = previews()[0];
    for (const std::string& damage : {std::string("garbage"), std::string()}) {
        testing::writeBytes(preview, damage);
        const auto image = load();
        ASSERT_TRUE(image);
        EXPECT_TRUE(isBlueish(middle(*image)));
        ASSERT_EQ(previews().size(), 1u);
        EXPECT_TRUE(platform::ImageDecoder::naturalSize(previews()[0].string()));
    }
}

TEST_F(PhotoLoading, CopyThatNoLongerDecodesIsNotLoadableWhateverPreviewExists) {
    ASSERT_TRUE(load());
    testing::writeBytes(copy, "no longer a picture");
    EXPECT_FALSE(load());
    fs::remove(copy);
    EXPECT_FALSE(load());
}

TEST_F(PhotoLoading, PinLargerThanThePreviewDecodesTheCopy) {
    ASSERT_TRUE(load());
    const auto image = load({1200, 800});
    ASSERT_TRUE(image);
    EXPECT_GE(image->pixelSize().width, 1200);
    EXPECT_EQ(previews().size(), 1u);
}

TEST_F(PhotoLoading, RemovingTheCopyDropsItsPreviewsOnly) {
    ASSERT_TRUE(load());
    const fs::path other = fs::path(PreviewCache::folder()) / (name + "x.1-2.jpg");
    testing::writeBytes(other, "another copy's preview");
    PhotoCopies::removeCopy(name);
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_EQ(previews(), std::vector<fs::path>{other});
}

TEST_F(PhotoLoading, EnlargedPinDecodesItsStoredCopyFinerWhenTheGestureEnds) {
    const auto small = load();
    ASSERT_TRUE(small);
    // The chosen file is gone: only the stored copy can give a finer photo.
    auto panel = PinWindowBuilder::build(
        {*small, name, "/nowhere/beach.jpg", 300, 200, 0.05, "red", false, std::nullopt});
    auto& view = static_cast<DraggableImageView&>(*panel->contentView());
    const platform::Point start{panel->frame().midX(), panel->frame().midY()};
    platform::sendMouseEvent(view, platform::MouseAction::LeftDown, start, platform::ModifierOption);
    platform::sendMouseEvent(view, platform::MouseAction::LeftDragged, {start.x + 400, start.y});
    EXPECT_TRUE(view.image() == small) << "no decode while the gesture lasts";
    platform::sendMouseEvent(view, platform::MouseAction::LeftUp, {start.x + 400, start.y});

    ASSERT_EQ(view.baseImageSize(), (Size{900, 600}));
    ASSERT_TRUE(view.image());
    EXPECT_EQ(view.image()->size(), (Size{2400, 1600}));
    EXPECT_GE(view.image()->pixelSize().width, 900);
    EXPECT_TRUE(view.imageLayer().contents() == view.image());

    // Shrinking back keeps the finer photo.
    const Image finer = *view.image();
    platform::sendMouseEvent(view, platform::MouseAction::LeftDown, start, platform::ModifierOption);
    platform::sendMouseEvent(view, platform::MouseAction::LeftDragged, {start.x - 100, start.y});
    platform::sendMouseEvent(view, platform::MouseAction::LeftUp, {start.x - 100, start.y});
    EXPECT_TRUE(view.image() == finer);
}

}  // namespace
}  // namespace corkwallery
