#include "decode/PhotoDecoder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QPainter>
#include <QTransform>
#include <atomic>
#include <filesystem>
#include <thread>

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
    QPainter painter(&quadrants);
    for (const auto& [x, y, color] : {std::tuple{0, 0, Qt::red},
                                      {320, 0, Qt::green},
                                      {0, 240, Qt::blue},
                                      {320, 240, Qt::white}})
        painter.fillRect(x, y, 320, 240, color);
    painter.end();
    const QSize camera(16320, 12240);
    for (const bool progressive : {false, true}) {
        const std::string suffix = progressive ? "-progressive.jpg" : ".jpg";
        writeJpeg(folder / ("camera" + suffix), quadrants, 1, progressive);
        writeBytes(folder / ("camera" + suffix),
                   claiming(readBytes(folder / ("camera" + suffix)), camera));
        writeJpeg(folder / ("turned" + suffix), quadrants, 6, progressive);
    }
    ASSERT_TRUE(quadrants.save(QString::fromStdString(folder / "quadrants.png")));
    shell("convert " + (folder / "quadrants.png").string() + " " + (folder / "a.mng").string());
    writePicture(folder / "a.icns", 64, 64);
    const auto cutInHalf = [](const fs::path& p) { fs::resize_file(p, fs::file_size(p) / 2); };
    writePicture(folder / "truncated.png", 400, 200, Qt::blue);
    // DC refinements of the first component, with no data: each a pass over the picture.
    std::string scans = readBytes(folder / "turned-progressive.jpg");
    for (int i = 0; i < 2000; ++i)
        scans.insert(scans.size() - 2, "\xFF\xDA\0\x08\x01\x01\0\0\0\x10", 10);
    writeBytes(folder / "scans.jpg", scans);
    writeJpeg(folder / "truncated.jpg", QImage(QString::fromStdString(folder / "truncated.png")),
              1);
    cutInHalf(folder / "truncated.png");
    cutInHalf(folder / "truncated.jpg");
    mkfifo((folder / "fifo.jpg").c_str(), 0600);
    writeBytes(folder / "drawing.png", "<svg xmlns='http://www.w3.org/2000/svg'/>");
    writePngHeaderOnly(folder / "bomb.png", 30000, 30000);
    writeBytes(folder / "text.jpg", "not a picture");
    struct {
        const char* name;
        int asked;                         // pixels on the longer side; 0 for all of them
        std::optional<QSize> natural;      // upright, from the header alone
        std::optional<Kind> failure = {};  // none: it decodes
        const char* refusal = "";          // why it is refused unread, or "" when it is tried
    } const pictures[] = {
        {"camera.jpg", 500, camera},
        {"camera-progressive.jpg", 500, camera},
        // Every pixel cannot fit beside its coefficients.
        {"camera-progressive.jpg", 0, camera, Kind::TooLarge,
         "too large to decode (16320 x 12240 pixels)"},
        {"turned.jpg", 60, QSize(480, 640)},
        {"turned-progressive.jpg", 60, QSize(480, 640)},
        {"a.mng", 60, QSize(640, 480)},
        {"a.icns", 32, QSize(64, 64)},
        {"truncated.jpg", 100, QSize(400, 200)},  // the rest shows grey
        {"scans.jpg", 60, QSize(480, 640), Kind::TooLarge, "too many scans to decode (2010)"},
        {"fifo.jpg", 100, std::nullopt, Kind::NotRegularFile, "not a regular file"},
        {"drawing.png", 100, std::nullopt, Kind::Invalid, "SVG pictures are not decoded"},
        {"bomb.png", 100, QSize(30000, 30000), Kind::TooLarge,
         "too large to decode (30000 x 30000 pixels)"},
        {"text.jpg", 100, std::nullopt, Kind::Invalid},
        {"gone.jpg", 100, std::nullopt, Kind::Io},
        {"truncated.png", 100, QSize(400, 200), Kind::Invalid},
    };
    for (const auto& picture : pictures) {
        SCOPED_TRACE(picture.name);
        const fs::path path = folder / picture.name;
        const std::string refusal = *picture.refusal ? path.string() + ": " + picture.refusal : "";
        const auto natural = PhotoDecoder::naturalSize(path);
        EXPECT_EQ(natural ? std::optional(natural.value()) : std::nullopt, picture.natural);
        if (!natural) {
            EXPECT_EQ(natural.error(), (platform::Error{*picture.failure, refusal}));
        }
        const auto photo = PhotoDecoder::decode(path, picture.asked);
        if (picture.failure) {
            ASSERT_FALSE(photo);
            EXPECT_EQ(photo.error(), (platform::Error{*picture.failure, refusal}));
            continue;
        }
        ASSERT_TRUE(photo) << photo.error().message;
        const QImage& pixels = photo.value().pixels;
        EXPECT_EQ(photo.value().naturalSize, QSizeF(*picture.natural));
        EXPECT_EQ(pixels.size(),
                  picture.natural->scaled(picture.asked, picture.asked, Qt::KeepAspectRatio));
        const bool turned = picture.natural == quadrants.size().transposed();
        if (!turned && picture.natural != quadrants.size())
            continue;
        const QImage expected =
            quadrants.transformed(QTransform().rotate(turned ? 90 : 0)).scaled(pixels.size());
        for (const QPoint quarter : {QPoint(1, 1), QPoint(3, 1), QPoint(1, 3), QPoint(3, 3)}) {
            const QPoint p(quarter.x() * pixels.width() / 4, quarter.y() * pixels.height() / 4);
            EXPECT_LE(difference(pixels.pixel(p), expected.pixel(p)), 10)  // levels in any channel
                << p.x() << "," << p.y();
        }
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
