#include <gtest/gtest.h>

#include <QColorSpace>
#include <QFile>
#include <QPainter>
#include <QRandomGenerator>

#include "decode/JpegDcDecoder.h"
#include "support/TemporaryHome.h"
#include "support/TestFiles.h"

namespace corkwallery {
namespace {

using namespace corkwallery::testing::files;

// Sharp-edged rectangles of saturated colours, at a size no sampling divides.
QImage colourEdges() {
    QImage picture(997, 743, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QPainter painter(&picture);
    QRandomGenerator random(7);
    const QColor colours[] = {Qt::red,   Qt::green, Qt::blue,    Qt::yellow,
                              Qt::white, Qt::black, Qt::magenta, Qt::cyan};
    for (int i = 0; i < 300; ++i)
        painter.fillRect(random.bounded(997), random.bounded(743), random.bounded(5, 120),
                         random.bounded(5, 120), colours[random.bounded(8)]);
    return picture;
}

// The first segment of `marker`, from its 0xFF.
std::size_t find(const std::string& jpeg, char marker) {
    return jpeg.find(std::string{'\xFF', marker});
}

QImage decodeEighth(const std::string& path) {
    QFile file(QString::fromStdString(path));
    file.open(QIODevice::ReadOnly);
    JpegDcDecoder decoder(file);
    return decoder.readFrame() ? decoder.decodeEighth() : QImage();
}

// libjpeg's 1/8 output, the same for every file: 4:2:0 and 4:1:0 chroma come from a 2x2 DCT, other
// samplings are repeated, and the colour space follows libjpeg's rule whatever markers and
// component ids say.
TEST(JpegEighth, ShowsWhatLibjpegShowsAtAnEighth) {
    const testing::TemporaryHome home;
    const std::string source = (home.root() / "edges.ppm").string();
    ASSERT_TRUE(colourEdges().save(QString::fromStdString(source)));
    const auto renameComponents = [](std::string& jpeg) {
        const std::size_t frame = find(jpeg, '\xC2');
        for (int k = 0; k < 3; ++k)
            jpeg[frame + 10 + 3 * k] = "RGB"[k];
        for (std::size_t scan = find(jpeg, '\xDA'); scan != std::string::npos;
             scan = jpeg.find("\xFF\xDA", scan + 2))
            for (int k = 0; k < jpeg[scan + 4]; ++k)
                jpeg[scan + 5 + 2 * k] =
                    "RGB"[static_cast<unsigned char>(jpeg[scan + 5 + 2 * k]) - 1];
    };
    const auto dropAdobe = [](std::string& jpeg) {
        const std::size_t at = find(jpeg, '\xEE');
        jpeg.erase(at, 2 + (static_cast<unsigned char>(jpeg[at + 2]) << 8 |
                            static_cast<unsigned char>(jpeg[at + 3])));
    };
    const auto adobeSaysYCbCr = [](std::string& jpeg) { jpeg[jpeg.find("Adobe") + 11] = 1; };
    const struct {
        const char* name;
        const char* options;  // for cjpeg
        void (*edit)(std::string&);
    } cases[] = {
        {"4:2:0", "-sample 2x2", nullptr},
        {"4:1:0", "-sample 4x2", nullptr},
        {"4:2:2 with restarts", "-sample 2x1 -restart 1", nullptr},
        {"grey", "-grayscale", nullptr},
        {"JFIF over ids R, G, B", "-sample 2x2", renameComponents},
        {"Adobe RGB", "-rgb", nullptr},
        {"ids R, G, B alone", "-rgb", dropAdobe},
        {"Adobe YCbCr over ids R, G, B", "-rgb", adobeSaysYCbCr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string jpeg = (home.root() / "edges.jpg").string();
        const std::string reference = (home.root() / "reference.pnm").string();
        ASSERT_TRUE(run("cjpeg -progressive -quality 90 " + std::string(c.options) + " " + source +
                        " > " + jpeg));
        std::string bytes = readBytes(jpeg);
        if (c.edit != nullptr)
            c.edit(bytes);
        writeBytes(jpeg, bytes);
        ASSERT_TRUE(run("djpeg -scale 1/8 -pnm " + jpeg + " > " + reference));
        // Levels; libjpeg's vectorised DCTs may round differently.
        EXPECT_LE(difference(decodeEighth(jpeg), QImage(QString::fromStdString(reference))), 2);
    }
}

// The profile's pieces are joined by their sequence numbers, wherever they stand; with one
// missing there is no profile.
TEST(JpegEighth, TagsItsPixelsWithTheEmbeddedProfile) {
    const testing::TemporaryHome home;
    const std::string path = (home.root() / "tagged.jpg").string();
    writeJpeg(path, colourEdges(), 1, true);
    const std::string plain = readBytes(path);
    const QByteArray profile = QColorSpace(QColorSpace::DisplayP3).iccProfile();
    ASSERT_GT(profile.size(), 300);
    const qsizetype third = profile.size() / 3;
    const QByteArray pieces[] = {profile.left(third), profile.mid(third, 100),
                                 profile.mid(third + 100)};
    for (const std::vector<int>& order : {std::vector{2, 1, 3}, std::vector{1, 3}}) {
        std::string jpeg = plain, segments;
        for (const int sequence : order) {
            const QByteArray& piece = pieces[sequence - 1];
            const auto length = static_cast<int>(piece.size() + 16);
            segments += std::string{'\xFF', '\xE2', char(length >> 8), char(length)} +
                        std::string("ICC_PROFILE\0", 12) + char(sequence) + char(3) +
                        piece.toStdString();
        }
        writeBytes(path, jpeg.insert(2, segments));
        const QImage pixels = decodeEighth(path);
        ASSERT_FALSE(pixels.isNull());
        EXPECT_EQ(pixels.colorSpace(),
                  order.size() == 3 ? QColorSpace(QColorSpace::DisplayP3) : QColorSpace());
    }
}

}  // namespace
}  // namespace corkwallery
