#include <gtest/gtest.h>

#include <QPainter>
#include <QTransform>
#include <atomic>
#include <filesystem>
#include <thread>

#include "photo/DecodeBudget.h"
#include "photo/DecodeQueue.h"
#include "photo/PhotoDecoder.h"
#include "support/Polling.h"
#include "support/TemporaryHome.h"
#include "support/TestFiles.h"

namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using namespace corkwallery::testing::files;

// The JPEG with its frame header claiming `size`: its data covers only the top, the rest is grey.
std::string claiming(std::string jpeg, QSize size) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(jpeg[i]); };
    std::size_t i = 2;
    while (i + 9 < jpeg.size() && at(i + 1) != 0xC0 && at(i + 1) != 0xC2)
        i += 2 + (at(i + 2) << 8 | at(i + 3));
    jpeg.replace(i + 5, 4,
                 {char(size.height() >> 8), char(size.height()), char(size.width() >> 8),
                  char(size.width())});
    return jpeg;
}

enum Kind { Baseline, Progressive, Webp };

struct Case {
    const char* name;
    Kind kind;
    int orientation;
    QSize claimed;  // written into the frame header; invalid keeps the picture's own
    int asked;      // pixels on the longer side; 0 for all of them
    bool refused;
};

// A camera's 200 megapixels decode at the size asked, a baseline JPEG through libjpeg's scaling
// and a progressive one from its DC coefficients, upright and in their colours, as a WebP does
// through libwebp's scaling; every pixel of a progressive JPEG cannot fit beside its
// coefficients and is refused, saying why.
TEST(LargePhotos, DecodeAtTheSizeAskedOrAreRefusedSayingWhy) {
    const testing::TemporaryHome home;
    QImage quadrants(640, 480, QImage::Format_RGB32);
    QPainter painter(&quadrants);
    painter.fillRect(0, 0, 320, 240, Qt::red);
    painter.fillRect(320, 0, 320, 240, Qt::green);
    painter.fillRect(0, 240, 320, 240, Qt::blue);
    painter.fillRect(320, 240, 320, 240, Qt::white);
    painter.end();
    const Case cases[] = {
        {"camera.jpg", Baseline, 1, {16320, 12240}, 500, false},
        {"camera-progressive.jpg", Progressive, 1, {16320, 12240}, 500, false},
        {"whole-progressive.jpg", Progressive, 1, {16320, 12240}, 0, true},
        {"turned.jpg", Baseline, 6, {}, 60, false},
        {"turned-progressive.jpg", Progressive, 6, {}, 60, false},
        {"still.webp", Webp, 1, {}, 60, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = home.root() / c.name;
        if (c.kind == Webp)
            quadrants.save(QString::fromStdString(path.string()));
        else
            writeJpeg(path, quadrants, c.orientation, c.kind == Progressive);
        if (c.claimed.isValid())
            writeBytes(path, claiming(readBytes(path), c.claimed));
        const QSize stored = c.claimed.isValid() ? c.claimed : quadrants.size();
        const QSize natural = c.orientation == 6 ? stored.transposed() : stored;
        PhotoDecoder::Refusal refusal;
        const auto photo = PhotoDecoder::decode(path, c.asked, &refusal);
        EXPECT_EQ(
            refusal.reason,
            c.refused ? path.string() + ": too large to decode (16320 x " + "12240 pixels)" : "");
        ASSERT_EQ(photo.has_value(), !c.refused);
        if (!photo)
            continue;
        const QImage& pixels = photo->pixels;
        EXPECT_EQ(photo->naturalSize, QSizeF(natural));
        EXPECT_EQ(pixels.size(), natural.scaled(c.asked, c.asked, Qt::KeepAspectRatio));
        if (c.claimed.isValid())
            continue;
        const QImage expected =
            quadrants.transformed(QTransform().rotate(c.orientation == 6 ? 90 : 0))
                .scaled(pixels.size());
        for (const QPoint p : {QPoint(1, 1), QPoint(3, 1), QPoint(1, 3), QPoint(3, 3)}) {
            const QPoint centre(p.x() * pixels.width() / 4, p.y() * pixels.height() / 4);
            const QColor got = pixels.pixelColor(centre), want = expected.pixelColor(centre);
            EXPECT_LE(std::abs(got.red() - want.red()) + std::abs(got.green() - want.green()) +
                          std::abs(got.blue() - want.blue()),
                      30)
                << centre.x() << "," << centre.y();
        }
    }
}

// Results come back in the order the jobs were added, though a later one finishes first.
TEST(DecodeQueue, HandsResultsBackInTheOrderAdded) {
    std::atomic<bool> laterDone = false;
    const auto result = [](int n) {
        return DecodeQueue::Result{Photo{QImage(), QSizeF(n, n)}, {}};
    };
    DecodeQueue queue(2);
    queue.add([&] {
        testing::waitUntil([&] { return laterDone.load(); });
        return result(1);
    });
    queue.add([&] {
        laterDone = true;
        return result(2);
    });
    for (const int n : {1, 2})
        EXPECT_EQ(queue.takeNext().photo->naturalSize.width(), n);
    EXPECT_FALSE(queue.takeNext().photo);
}

// Two decodes that fit only one at a time never hold the budget together; one that could never
// fit is refused at once.
TEST(DecodeBudget, NeverLetsTwoTakeMoreThanItHolds) {
    DecodeBudget budget(100);
    EXPECT_FALSE(budget.reserve(101));
    std::atomic<int> holders = 0;
    std::atomic<bool> overlapped = false;
    const auto decode = [&] {
        for (int i = 0; i < 500; ++i) {
            const auto reservation = budget.reserve(60);
            overlapped = overlapped || ++holders > 1;
            std::this_thread::yield();
            --holders;
        }
    };
    std::thread first(decode), second(decode);
    first.join();
    second.join();
    EXPECT_FALSE(overlapped);
    EXPECT_TRUE(budget.reserve(100));
}

}  // namespace
}  // namespace corkwallery
