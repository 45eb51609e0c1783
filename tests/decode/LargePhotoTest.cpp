#include <gtest/gtest.h>

#include <QPainter>
#include <QTransform>
#include <atomic>
#include <thread>

#include "decode/DecodeBudget.h"
#include "decode/PhotoDecoder.h"
#include "support/TemporaryHome.h"
#include "support/TestFiles.h"

namespace corkwallery {
namespace {

using namespace corkwallery::testing::files;

// The JPEG with its frame header claiming `size`: its data covers only the top, the rest is grey.
std::string claiming(std::string jpeg, QSize size) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(jpeg[i]); };
    std::size_t i = 2;
    while (at(i + 1) != 0xC0 && at(i + 1) != 0xC2)
        i += 2 + (at(i + 2) << 8 | at(i + 3));
    jpeg.replace(i + 5, 4,
                 {char(size.height() >> 8), char(size.height()), char(size.width() >> 8),
                  char(size.width())});
    return jpeg;
}

// A camera's 200 megapixels decode at the size asked, a baseline JPEG through libjpeg's scaling
// and a progressive one from its DC coefficients, upright and in their colours, as a still WebP
// does through libwebp's scaling; every pixel of the progressive one cannot fit beside its
// coefficients and is refused, saying why.
TEST(LargePhotos, DecodeAtTheSizeAskedOrAreRefusedSayingWhy) {
    const testing::TemporaryHome home;
    QImage quadrants(640, 480, QImage::Format_RGB32);
    QPainter painter(&quadrants);
    for (const auto& [x, y, color] : {std::tuple{0, 0, Qt::red},
                                      {320, 0, Qt::green},
                                      {0, 240, Qt::blue},
                                      {320, 240, Qt::white}})
        painter.fillRect(x, y, 320, 240, color);
    painter.end();
    const struct {
        std::string name;
        int orientation;
        QSize claimed;  // written into the frame header; invalid keeps the picture's own
        int asked;      // pixels on the longer side; 0 for all of them
    } cases[] = {{"camera.jpg", 1, {16320, 12240}, 500},
                 {"camera-progressive.jpg", 1, {16320, 12240}, 500},
                 {"whole-progressive.jpg", 1, {16320, 12240}, 0},
                 {"turned.jpg", 6, {}, 60},
                 {"turned-progressive.jpg", 6, {}, 60},
                 {"still.webp", 1, {}, 60}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = (home.root() / c.name).string();
        if (c.name.ends_with(".webp"))
            quadrants.save(QString::fromStdString(path));
        else
            writeJpeg(path, quadrants, c.orientation,
                      c.name.find("progressive") != std::string::npos);
        if (c.claimed.isValid())
            writeBytes(path, claiming(readBytes(path), c.claimed));
        const auto decoded = PhotoDecoder::decode(path, c.asked);
        if (c.asked == 0) {
            ASSERT_FALSE(decoded);
            EXPECT_EQ(decoded.error(),
                      (platform::Error{platform::Error::Kind::TooLarge,
                                       path + ": too large to decode (16320 x 12240 pixels)"}));
            continue;
        }
        ASSERT_TRUE(decoded) << decoded.error().message;
        const Photo* photo = &decoded.value();
        const QImage& pixels = photo->pixels;
        const QSize stored = c.claimed.isValid() ? c.claimed : quadrants.size();
        const QSize natural = c.orientation == 6 ? stored.transposed() : stored;
        EXPECT_EQ(photo->naturalSize, QSizeF(natural));
        EXPECT_EQ(pixels.size(), natural.scaled(c.asked, c.asked, Qt::KeepAspectRatio));
        if (c.claimed.isValid())
            continue;  // the data covers only the top
        const QImage expected =
            quadrants.transformed(QTransform().rotate(c.orientation == 6 ? 90 : 0))
                .scaled(pixels.size());
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
