#include <gtest/gtest.h>
#include <lcms2.h>

#include <QColorSpace>
#include <QImageReader>
#include <QPainter>
#include <QStandardPaths>
#include <QTransform>
#include <cmath>
#include <filesystem>
#include <vector>

#include "DecodedPhoto.h"
#include "decode/PhotoDecoder.h"
#include "decode/PreviewCache.h"
#include "support/TemporaryHome.h"
#include "support/TestFiles.h"

// Colours, orientation, palettes, 16-bit transparency, and HEIF, AVIF and JPEG XL, each against
// pictures that ImageMagick, exiftool, webpmux and the formats' own encoders make here, and pixels
// a reference gives: lcms2 for colours, the pictures' own values for the rest.
namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using namespace testing::files;

// Each test's pictures in a home of its own.
class ColourAndOrientation : public ::testing::Test {
protected:
    const testing::TemporaryHome home_;
    const fs::path folder = home_.root();
};

constexpr cmsCIExyY kD65{0.3127, 0.3290, 1};
constexpr cmsCIExyYTRIPLE kSrgb{{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}},
    kP3{{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};

// What a colour-managed viewer shows for `stored` in a picture of D65, `primaries` and the power
// curve `gamma` on every channel, as lcms2 converts it to sRGB. A QRgb lies in memory as B, G, R,
// A; lcms2 leaves the alpha byte as it finds it.
QRgb managed(const cmsCIExyYTRIPLE& primaries, double gamma, QRgb stored) {
    cmsToneCurve* curve = cmsBuildGamma(nullptr, gamma);
    cmsToneCurve* curves[] = {curve, curve, curve};
    cmsHPROFILE from = cmsCreateRGBProfile(&kD65, &primaries, curves), to = cmsCreate_sRGBProfile();
    cmsHTRANSFORM transform =
        cmsCreateTransform(from, TYPE_BGRA_8, to, TYPE_BGRA_8, INTENT_RELATIVE_COLORIMETRIC, 0);
    QRgb shown = stored;
    cmsDoTransform(transform, &stored, &shown, 1);
    cmsDeleteTransform(transform);
    cmsCloseProfile(from);
    cmsCloseProfile(to);
    cmsFreeToneCurve(curve);
    return shown;
}

// `png` with the chunk of `typeAndData` put right after its header.
std::string withChunk(const std::string& png, const std::string& typeAndData) {
    constexpr size_t kAfterHeader = 8 + 25;
    return png.substr(0, kAfterHeader) + pngChunk(typeAndData) + png.substr(kAfterHeader);
}

// PNG gAMA alone and with cHRM, no other colour chunk: a gamma near 1/2.2 with sRGB's primaries
// (or none) shows the values as stored, as libpng takes it for sRGB; other gammas and primaries
// convert as lcms2 converts the same primaries and pure power curve.
TEST_F(ColourAndOrientation, PngGammaAndChromaticities) {
    // Dark, where sRGB's curve and a pure 1/2.2 power differ most (8 levels at 20).
    const QRgb stored = qRgb(20, 40, 90);
    writePicture(folder / "plain.png", 64, 16, QColor(stored));
    const std::string png = readBytes(folder / "plain.png");
    const struct {
        std::uint32_t gamma;
        const cmsCIExyYTRIPLE* primaries;  // none: no cHRM
        bool asStored;
    } cases[] = {{100000, nullptr, false}, {100000, &kSrgb, false}, {55556, nullptr, false},
                 {45455, &kP3, false},     {45455, nullptr, true},  {45455, &kSrgb, true},
                 {45000, &kSrgb, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.gamma) + (c.primaries == &kP3 ? " P3" : ""));
        std::string bytes = withChunk(png, "gAMA" + bigEndian32(c.gamma));
        if (const auto* p = c.primaries) {
            std::string chrm = "cHRM";  // white point and primaries, x and y in 100000ths
            for (const double v :
                 {kD65.x, kD65.y, p->Red.x, p->Red.y, p->Green.x, p->Green.y, p->Blue.x, p->Blue.y})
                chrm += bigEndian32(std::lround(v * 100000));
            bytes = withChunk(bytes, chrm);
        }
        const fs::path path = folder / "gamma.png";
        writeBytes(path, bytes);
        const QRgb converted =
            managed(c.primaries ? *c.primaries : kSrgb, 100000.0 / c.gamma, stored);
        ASSERT_GT(difference(converted, stored), 5);
        QImage shown(64, 16, QImage::Format_RGB32);
        shown.fill(c.asStored ? stored : converted);
        testing::expectDecodes(path, 32, {QSize(64, 16), {}, "", shown, c.asStored ? 0 : 3});
    }
}

// Palette PNGs of 1, 2 and 4 bits show their own colours at every size, scaled down whole; 16-bit
// pictures with alpha keep it (0.5 stays 0.5, within a level) whole, scaled and in the preview.
TEST_F(ColourAndOrientation, PalettesAndSixteenBitAlpha) {
    const QRgb left = qRgb(200, 30, 40), right = qRgb(20, 90, 220);
    for (const QSize size : {QSize(640, 480), QSize(800, 600), QSize(2000, 1500)}) {
        QImage halves(size, QImage::Format_RGB32);
        halves.fill(left);
        QPainter(&halves).fillRect(size.width() / 2, 0, size.width() / 2, size.height(), right);
        ASSERT_TRUE(halves.save(QString::fromStdString(folder / "halves.png")));
        for (const int bits : {1, 2, 4}) {
            SCOPED_TRACE(std::to_string(bits) + " bits " + std::to_string(size.width()));
            const fs::path path = folder / "palette.png";
            if (bits == 1)  // Qt writes a two-colour picture with one bit, ImageMagick with two
                ASSERT_TRUE(halves.convertToFormat(QImage::Format_Mono, {left, right})
                                .save(QString::fromStdString(path)));
            else
                shell("convert " + (folder / "halves.png").string() +
                      " -define png:exclude-chunks=gAMA,cHRM -define png:color-type=3"
                      " -define png:bit-depth=" +
                      std::to_string(bits) + " " + path.string());
            ASSERT_EQ(QImageReader(QString::fromStdString(path)).imageFormat(),
                      bits == 1 ? QImage::Format_Mono : QImage::Format_Indexed8);
            for (const int longerSide : {0, 375, 160})
                testing::expectDecodes(path, longerSide, {size, {}, "", halves, 1});
        }
    }
    QImage half(400, 300, QImage::Format_ARGB32);
    half.fill(QColor(255, 0, 0, 128));
    for (const char* name : {"half.png", "half.tif"}) {
        SCOPED_TRACE(name);
        const fs::path path = folder / name;
        shell("convert -size 400x300 xc:'rgba(255,0,0,0.5)' -depth 16 -define png:format=png64 " +
              path.string());
        for (const int longerSide : {0, 100})
            testing::expectDecodes(path, longerSide, {QSize(400, 300), {}, "", half, 1});
        const auto copy = PhotoDecoder::loadCopy(path, QSizeF(40, 30), 1);  // makes a preview
        ASSERT_TRUE(copy && PreviewCache::hasFresh(path));
        const auto preview = PhotoDecoder::loadCopy(path, QSizeF(40, 30), 1);
        ASSERT_TRUE(preview);
        EXPECT_NEAR(preview.value().pixels.pixelColor(10, 10).alpha(), 128, 1);
    }
}

// Four flat quarters: a pure green and three colours whose Adobe RGB and Display P3 values land
// far (up to 30 levels) from the same numbers read as sRGB.
constexpr char kPictures[] = R"(set -e
icc=/usr/share/color/icc
convert -size 640x480 'xc:rgb(0,255,0)' -fill 'rgb(200,100,50)' -draw 'rectangle 320,0 639,239' \
  -fill 'rgb(40,60,200)' -draw 'rectangle 0,240 319,479' \
  -fill 'rgb(230,200,30)' -draw 'rectangle 320,240 639,479' PNG24:plain.png
convert plain.png -profile $icc/colord/AdobeRGB1998.icc PNG24:adobe.png
convert adobe.png -profile $icc/sRGB.icc adobe-srgb.png
convert plain.png -profile p3.icc PNG24:p3.png
convert p3.png -profile $icc/sRGB.icc p3-srgb.png
# The other formats whose reader takes a profile; JPEG at full quality, without subsampling.
for f in jpg tif webp; do
  convert adobe.png -quality 100 -sampling-factor 1x1 -define webp:lossless=true adobe.$f
  convert p3.png -quality 100 -sampling-factor 1x1 -define webp:lossless=true p3.$f
done
# A greyscale profile on colour pixels: Qt 6.4 takes none.
convert plain.png -quality 100 -sampling-factor 1x1 grey-profile.jpg
exiftool -q -overwrite_original "-icc_profile<=$icc/Gray-CIE_L.icc" grey-profile.jpg
# EXIF orientations in a PNG eXIf chunk and, the same EXIF as exiftool wrote it, a WebP EXIF chunk.
cwebp -quiet -lossless plain.png -o plain.webp
for o in 1 2 3 4 5 6 7 8; do
  exiftool -q -Orientation#=$o -o o$o.png plain.png
  exiftool -q -b -exif o$o.png >o$o.exif
  webpmux -set exif o$o.exif plain.webp -o o$o.webp
done
convert -size 640x480 'xc:rgb(255,0,255)' PNG24:magenta.png
convert -delay 10 plain.png magenta.png -loop 0 animated.gif
convert plain.png -alpha set -channel A -evaluate set 50% +channel PNG32:half.png
convert plain.png -modulate 100,0 PNG24:grey.png
convert adobe.png -depth 16 PNG48:deep.png
if command -v heif-enc >/dev/null; then
  heif-enc -q 95 adobe.png -o photo.heic
  heif-enc -q 95 -t 200 adobe.png -o thumbnail.heic
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

// Each format decodes upright (EXIF orientations 1 to 8 in PNG and WebP, AVIF's irot) at the size
// asked, its natural size from the header alone, in the colours a colour-managed conversion (lcms,
// through ImageMagick) of the encoder's input gives, within the codec's loss: Adobe RGB and
// Display P3 profiles in every format whose reader takes one, HEIF, AVIF and JPEG XL as their
// encoders write them. 24 megapixels fit the decode budget; a damaged file fails cleanly; a
// profile Qt cannot use leaves the values as stored, and says so.
TEST_F(ColourAndOrientation, EveryFormatShowsUprightInItsOwnColours) {
    // Display P3 does not ship: Qt's own profile of it.
    writeBytes(folder / "p3.icc", QColorSpace(QColorSpace::DisplayP3).iccProfile().toStdString());
    shell("cd " + folder.string() + " && " + kPictures);
    // Flat quarters coded lossily or at q95 stay this close; unmanaged, the worst quarter is off
    // by about 30.
    constexpr int kTolerance = 6;
    struct Row {
        std::string file;
        const char* tool;       // that made it
        std::string reference;  // what it shows, in sRGB; none for a damaged file
        int quarterTurns = 0;   // anticlockwise, from the reference to the upright picture
        bool mirrored = false;  // left to right, before turning
    };
    std::vector<Row> rows = {
        {"photo.heic", "heif-enc", "adobe-srgb.png"},  // Adobe RGB ICC
        {"thumbnail.heic", "heif-enc", "adobe-srgb.png"},
        {"deep.heic", "heif-enc", "adobe-srgb.png"},         // 10 bits
        {"full-chroma.heic", "heif-enc", "adobe-srgb.png"},  // 4:4:4
        {"half.heic", "heif-enc", "half.png"},               // straight alpha at one half
        {"large.heic", "heif-enc", "large.png"},             // 24 megapixels, as phones write
        {"turned.avif", "avifenc", "adobe-srgb.png", 1},     // irot
        {"grey.avif", "avifenc", "grey.png"},                // monochrome
        {"p3.avif", "avifenc", "p3-srgb.png"},               // Display P3 nclx
        {"photo.jxl", "cjxl", "adobe-srgb.png"},             // XYB: written as sRGB
        {"lossless.jxl", "cjxl", "adobe-srgb.png"},          // Adobe RGB pixels
        {"animated.jxl", "cjxl", "plain.png"},               // its first frame
        // Their data lies past the end: libheif 1.15 refuses it at the header, 1.19 at the decode.
        {"truncated.heic", "heif-enc", ""},
        {"truncated.jxl", "cjxl", ""},
    };
    for (const std::string profile : {"adobe", "p3"})
        for (const char* suffix : {".png", ".jpg", ".tif", ".webp"})
            rows.push_back({profile + suffix, "convert", profile + "-srgb.png"});
    // Mirrored, then turned anticlockwise, for EXIF orientations 1 to 8.
    const std::pair<bool, int> orientations[] = {{false, 0}, {true, 0},  {false, 2}, {true, 2},
                                                 {true, 1},  {false, 3}, {true, 3},  {false, 1}};
    for (int o = 1; o <= 8; ++o) {
        const auto [mirrored, turns] = orientations[o - 1];
        for (const char* suffix : {".png", ".webp"})
            rows.push_back(
                {"o" + std::to_string(o) + suffix, "exiftool", "plain.png", turns, mirrored});
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        if (QStandardPaths::findExecutable(row.tool).isEmpty()) {
            std::cout << "skipped " << row.file << ": " << row.tool << " is missing\n";
            continue;
        }
        const std::string path = folder / row.file;
        // A damaged file's header tells the size of the picture it was cut from, or nothing.
        const bool damaged = row.reference.empty(), told = PhotoDecoder::open(path).ok();
        const QImage upright = QImage(QString::fromStdString(folder / row.reference))
                                   .mirrored(row.mirrored, false)
                                   .transformed(QTransform().rotate(-90 * row.quarterTurns));
        testing::expectDecodes(
            path, 160,
            {damaged && !told ? std::nullopt
                              : std::optional(damaged ? QSize(640, 480) : upright.size()),
             damaged ? std::optional(platform::Error::Kind::Invalid) : std::nullopt, "", upright,
             kTolerance});
    }
    const auto unusable = PhotoDecoder::decode(folder / "grey-profile.jpg", 160);
    ASSERT_TRUE(unusable);
    EXPECT_TRUE(unusable.value().unusableProfile);
    EXPECT_LE(difference(unusable.value().pixels.pixel(40, 30), qRgb(0, 255, 0)), 3);
}

}  // namespace
}  // namespace corkwallery
