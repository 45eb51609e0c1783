#include "decode/PhotoDecoder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QPainter>
#include <QTransform>
#include <atomic>
#include <filesystem>
#include <thread>

#include "DecodedPhoto.h"
#include "decode/DecodeBudget.h"
#include "support/TemporaryHome.h"
#include "support/TestFiles.h"

namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using namespace corkwallery::testing::files;
using Kind = platform::Error::Kind;

// The JPEG with its frame header claiming `size`: its data covers only the top, the rest is grey.
// (No table before the frame holds 0xFF at quality 95.)
std::string claiming(std::string jpeg, QSize size) {
    const std::size_t frame = std::min(jpeg.find("\xFF\xC0"), jpeg.find("\xFF\xC2"));
    jpeg.replace(frame + 5, 4,
                 {char(size.height() >> 8), char(size.height()), char(size.width() >> 8),
                  char(size.width())});
    return jpeg;
}

// Pictures a user may choose, or find in the images folder: a camera's 200 megapixels (a baseline
// JPEG through libjpeg's scaling, a progressive one from its DC coefficients), turned JPEGs,
// formats whose header gives no size (MNG, ICNS), and pictures that are broken, enormous, of 2,000
// scans or no pictures at all. Each decodes upright, in its colours and no finer than asked, or
// fails at once, saying why when it is refused undecoded. (WebP: ColourAndOrientation.)
TEST(PhotoDecoder, DecodesUprightAtTheSizeAskedOrFailsAtOnce) {
    const testing::TemporaryHome home;
    const fs::path folder = home.root();
    QImage quadrants(640, 480, QImage::Format_RGB32);
    quadrants.fill(Qt::red);
    QPainter(&quadrants).fillRect(320, 0, 320, 240, Qt::green);
    QPainter(&quadrants).fillRect(0, 240, 320, 240, Qt::blue);
    QPainter(&quadrants).fillRect(320, 240, 320, 240, Qt::white);
    const QSize camera(16320, 12240);
    for (const std::string suffix : {".jpg", "-progressive.jpg"}) {
        writeJpeg(folder / ("camera" + suffix), quadrants, 1, suffix != ".jpg");
        writeBytes(folder / ("camera" + suffix),
                   claiming(readBytes(folder / ("camera" + suffix)), camera));
        writeJpeg(folder / ("turned" + suffix), quadrants, 6, suffix != ".jpg");
    }
    ASSERT_TRUE(quadrants.save(QString::fromStdString(folder / "quadrants.png")));
    shell("convert " + (folder / "quadrants.png").string() + " " + (folder / "a.mng").string());
    writePicture(folder / "a.icns", 64, 64);
    writePicture(folder / "truncated.png", 400, 200, Qt::blue);
    // DC refinements of the first component, with no data: each a pass over the picture.
    std::string scans = readBytes(folder / "turned-progressive.jpg");
    for (int i = 0; i < 2000; ++i)
        scans.insert(scans.size() - 2, "\xFF\xDA\0\x08\x01\x01\0\0\0\x10", 10);
    writeBytes(folder / "scans.jpg", scans);
    writeJpeg(folder / "truncated.jpg", QImage(QString::fromStdString(folder / "truncated.png")),
              1);
    for (const fs::path& cut : {folder / "truncated.png", folder / "truncated.jpg"})
        fs::resize_file(cut, fs::file_size(cut) / 2);
    mkfifo((folder / "fifo.jpg").c_str(), 0600);
    writeBytes(folder / "drawing.png", "<svg xmlns='http://www.w3.org/2000/svg'/>");
    writePngHeaderOnly(folder / "bomb.png", 30000, 30000);
    writeBytes(folder / "text.jpg", "not a picture");
    const QImage turned = quadrants.transformed(QTransform().rotate(90));
    const struct {
        const char* name;
        int asked;  // pixels on the longer side; 0 for all of them
        testing::Decoded want;
    } pictures[] = {
        {"camera.jpg", 500, {camera}},
        {"camera-progressive.jpg", 500, {camera}},
        // Every pixel cannot fit beside its coefficients.
        {"camera-progressive.jpg",
         0,
         {camera, Kind::TooLarge, "too large to decode (16320 x 12240 pixels)"}},
        {"turned.jpg", 60, {QSize(480, 640), {}, "", turned}},
        {"turned-progressive.jpg", 60, {QSize(480, 640), {}, "", turned}},
        {"a.mng", 60, {QSize(640, 480), {}, "", quadrants}},
        {"a.icns", 32, {QSize(64, 64)}},
        {"truncated.jpg", 100, {QSize(400, 200)}},  // the rest shows grey
        {"scans.jpg", 60, {QSize(480, 640), Kind::TooLarge, "too many scans to decode (2010)"}},
        {"fifo.jpg", 100, {std::nullopt, Kind::NotRegularFile, "not a regular file"}},
        {"drawing.png", 100, {std::nullopt, Kind::Unsupported, "SVG pictures are not decoded"}},
        {"bomb.png",
         100,
         {QSize(30000, 30000), Kind::TooLarge, "too large to decode (30000 x 30000 pixels)"}},
        {"text.jpg", 100, {std::nullopt, Kind::Invalid}},
        {"gone.jpg", 100, {std::nullopt, Kind::Io}},
        {"truncated.png", 100, {QSize(400, 200), Kind::Invalid}},
    };
    for (const auto& [name, asked, want] : pictures) {
        SCOPED_TRACE(name);
        testing::expectDecodes(folder / name, asked, want);
    }
}

// Pictures that once broke a decoder, found by its fuzzer or stated by a header: each fails or
// decodes no larger than asked, and those named too-large-* (sides of 2^30 and 2^31 - 1, whose
// products overflowed) are refused as too large.
TEST(PhotoDecoder, EveryFuzzFindingFailsCleanly) {
    for (const auto& entry : fs::directory_iterator(FUZZ_PICTURES_DIR)) {
        const auto photo = PhotoDecoder::decode(entry.path(), 160);
        const bool tooLarge = entry.path().filename().string().starts_with("too-large");
        EXPECT_TRUE(photo ? !tooLarge && photo.value().pixels.width() <= 160 &&
                                photo.value().pixels.height() <= 160
                          : !tooLarge || photo.error().kind == Kind::TooLarge)
            << entry.path();
    }
}

// Two decodes that fit only one at a time never hold the budget together; one that could never
// fit is refused at once.
TEST(DecodeBudget, NeverLetsTwoTakeMoreThanItHolds) {
    DecodeBudget budget(100);
    EXPECT_FALSE(budget.reserve(101));
    std::atomic<int> holders = 0;
    std::atomic<bool> together = false;
    const auto decode = [&] {
        for (int i = 0; i < 200; ++i) {
            const auto reservation = budget.reserve(60);
            if (++holders > 1)
                together = true;
            std::this_thread::sleep_for(std::chrono::microseconds(50));  // a decode takes a while
            --holders;
        }
    };
    std::thread first(decode), second(decode);
    first.join();
    second.join();
    EXPECT_FALSE(together);
    EXPECT_TRUE(budget.reserve(100));  // all given back
}

}  // namespace
}  // namespace corkwallery
