#include <gtest/gtest.h>

#include <QColorSpace>
#include <QStandardPaths>
#include <QTransform>
#include <filesystem>
#include <optional>

#include "decode/PhotoDecoder.h"
#include "support/TemporaryHome.h"
#include "support/TestFiles.h"

namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using namespace testing::files;

// Four flat quarters: a pure green and three colours whose Adobe RGB and Display P3 values land
// far (up to 30 levels) from the same numbers read as sRGB.
constexpr char kPictures[] = R"(set -e
icc=/usr/share/color/icc
convert -size 640x480 'xc:rgb(0,255,0)' -fill 'rgb(200,100,50)' -draw 'rectangle 320,0 639,239' \
  -fill 'rgb(40,60,200)' -draw 'rectangle 0,240 319,479' \
  -fill 'rgb(230,200,30)' -draw 'rectangle 320,240 639,479' PNG24:plain.png
convert plain.png -profile $icc/colord/AdobeRGB1998.icc PNG24:adobe.png
convert adobe.png -profile $icc/sRGB.icc adobe-srgb.png
convert plain.png -profile p3.icc -profile $icc/sRGB.icc p3-srgb.png
convert -size 640x480 'xc:rgb(255,0,255)' PNG24:magenta.png
convert -delay 10 plain.png magenta.png -loop 0 animated.gif
convert plain.png -alpha set -channel A -evaluate set 50% +channel PNG32:half.png
convert plain.png -modulate 100,0 PNG24:grey.png
convert adobe.png -depth 16 PNG48:deep.png
if command -v heif-enc >/dev/null; then
  heif-enc -q 95 adobe.png -o photo.heic
  heif-enc -q 95 -t 200 adobe.png -o thumbnail.heic
  heif-enc -q 95 adobe.png magenta.png -o several.heic
  head -c $(($(stat -c %s photo.heic) / 2)) photo.heic >truncated.heic
  heif-enc -q 95 -b 10 deep.png -o deep.heic
  heif-enc -q 95 -p chroma=444 adobe.png -o full-chroma.heic
  heif-enc -q 95 half.png -o half.heic
  # What phones write at 24 megapixels; flat, so that it codes in seconds.
  convert -size 5712x4284 'xc:rgb(0,255,0)' -fill 'rgb(40,60,200)' \
    -draw 'rectangle 2856,0 5711,4283' PNG24:large.png
  heif-enc -q 50 -p preset=ultrafast large.png -o large.heic
fi
if command -v avifenc >/dev/null; then
  avifenc -s 8 --min 0 --max 10 --irot 1 adobe.png turned.avif >/dev/null
  avifenc -s 8 --min 0 --max 10 --cicp 12/13/6 plain.png p3.avif >/dev/null
  avifenc -s 8 --min 0 --max 10 --yuv 400 grey.png grey.avif >/dev/null
fi
if command -v cjxl >/dev/null; then
  cjxl adobe.png photo.jxl 2>/dev/null
  cjxl -d 0 adobe.png lossless.jxl 2>/dev/null
  cjxl animated.gif animated.jxl 2>/dev/null
  head -c $(($(stat -c %s photo.jxl) / 2)) photo.jxl >truncated.jxl
fi
)";

// (heif-enc misreads palette PNGs, hence PNG24.)

bool near(QRgb a, QRgb b, int tolerance) {
    return difference(a, b) <= tolerance && std::abs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

// Each format decodes upright at the size asked, its natural size from the header alone, with the
// colours a colour-managed conversion (lcms) of the encoder's input gives, within the codec's
// loss; several pictures give the primary or first; 24 megapixels fit the decode budget; a
// damaged file fails cleanly. The pictures are made with the encoders' own tools.
TEST(ModernFormats, DecodeUprightAtTheSizeAskedInTheirOwnColours) {
    const testing::TemporaryHome home;
    const fs::path folder = home.root();
    // Display P3 as an ICC profile, for lcms (through ImageMagick) to convert from.
    writeBytes(folder / "p3.icc", QColorSpace(QColorSpace::DisplayP3).iccProfile().toStdString());
    shell("cd " + folder.string() + " && " + kPictures);
    // Flat quarters coded lossily or at q95 stay this close; unmanaged, the worst quarter is off
    // by about 30.
    constexpr int kTolerance = 6;
    struct {
        const char* file;
        const char* tool;       // that made it
        const char* reference;  // what it shows, in sRGB; none for a damaged file
        int quarterTurns;       // anticlockwise, from the reference to the upright picture
        // Whether the header tells the size; either, where libheif versions differ.
        std::optional<bool> sized = true;
    } const rows[] = {
        {"photo.heic", "heif-enc", "adobe-srgb.png", 0},  // Adobe RGB ICC
        {"thumbnail.heic", "heif-enc", "adobe-srgb.png", 0},
        {"several.heic", "heif-enc", "adobe-srgb.png", 0},      // the first is the primary
        {"deep.heic", "heif-enc", "adobe-srgb.png", 0},         // 10 bits
        {"full-chroma.heic", "heif-enc", "adobe-srgb.png", 0},  // 4:4:4
        {"half.heic", "heif-enc", "half.png", 0},               // straight alpha at one half
        {"large.heic", "heif-enc", "large.png", 0},             // 24 megapixels, as phones write
        {"turned.avif", "avifenc", "adobe-srgb.png", 1},        // irot
        {"grey.avif", "avifenc", "grey.png", 0},                // monochrome
        {"p3.avif", "avifenc", "p3-srgb.png", 0},               // Display P3 nclx
        {"photo.jxl", "cjxl", "adobe-srgb.png", 0},             // XYB: written as sRGB
        {"lossless.jxl", "cjxl", "adobe-srgb.png", 0},          // Adobe RGB pixels
        {"animated.jxl", "cjxl", "plain.png", 0},               // its first frame
        // Its data lies past the end: libheif 1.15 refuses it at the header, 1.19 at the decode.
        {"truncated.heic", "heif-enc", nullptr, 0, std::nullopt},
        {"truncated.jxl", "cjxl", nullptr, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        if (QStandardPaths::findExecutable(row.tool).isEmpty()) {
            std::cout << "skipped " << row.file << ": " << row.tool << " is missing\n";
            continue;
        }
        const std::string path = folder / row.file;
        // A damaged file's header tells the size of the picture it was cut from.
        const QImage reference =
            QImage(QString::fromStdString(folder / (row.reference ? row.reference : "plain.png")))
                .transformed(QTransform().rotate(-90 * row.quarterTurns));
        const QSize upright = reference.size();
        const auto natural = PhotoDecoder::naturalSize(path);
        if (row.sized) {
            ASSERT_EQ(natural.ok(), *row.sized);
        }
        if (natural) {
            EXPECT_EQ(natural.value(), upright);
        }
        const auto photo = PhotoDecoder::decode(path, 160);
        if (row.reference == nullptr) {
            ASSERT_FALSE(photo);
            EXPECT_EQ(photo.error(), (platform::Error{platform::Error::Kind::Invalid, {}}));
            continue;
        }
        ASSERT_TRUE(photo) << photo.error().message;
        EXPECT_EQ(photo.value().naturalSize, QSizeF(upright));
        // Straight colours, as the reference holds them.
        const QImage pixels = photo.value().pixels.convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(pixels.size(), upright.scaled(160, 160, Qt::KeepAspectRatio));
        const QImage shown =
            reference.scaled(pixels.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        for (const auto& [x, y] :
             {std::pair{0.25, 0.25}, {0.75, 0.25}, {0.25, 0.75}, {0.75, 0.75}}) {
            const QPoint at(static_cast<int>(x * pixels.width()),
                            static_cast<int>(y * pixels.height()));
            EXPECT_PRED3(near, pixels.pixel(at), shown.pixel(at), kTolerance)
                << "at " << x << ", " << y;
        }
    }
}

}  // namespace
}  // namespace corkwallery
