#include <gtest/gtest.h>
#include <lcms2.h>

#include <QColorSpace>
#include <QImageReader>
#include <QPainter>
#include <QStandardPaths>
#include <QTransform>
#include <cmath>
#include <filesystem>
#include <optional>

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

void save(const QImage& image, const fs::path& path) {
    ASSERT_TRUE(image.save(QString::fromStdString(path))) << path;
}

constexpr cmsCIExyY kD65{0.3127, 0.3290, 1};
constexpr cmsCIExyYTRIPLE kSrgb{{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}},
    kP3{{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};

// An RGB profile of D65, `primaries` and `curve` on every channel, written by lcms2.
void writeProfile(const fs::path& path, const cmsCIExyYTRIPLE& primaries, cmsToneCurve* curve) {
    cmsToneCurve* curves[] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&kD65, &primaries, curves);
    ASSERT_TRUE(cmsSaveProfileToFile(profile, path.c_str()));
    cmsCloseProfile(profile);
    cmsFreeToneCurve(curve);
}

// What a colour-managed viewer shows for `stored` in a file with the profile at `icc`.
// A QRgb lies in memory as B, G, R, A; lcms2 leaves the alpha byte as it finds it.
QRgb managed(const fs::path& icc, QRgb stored) {
    cmsHPROFILE from = cmsOpenProfileFromFile(icc.c_str(), "r"), to = cmsCreate_sRGBProfile();
    cmsHTRANSFORM transform =
        cmsCreateTransform(from, TYPE_BGRA_8, to, TYPE_BGRA_8, INTENT_RELATIVE_COLORIMETRIC, 0);
    QRgb shown = stored;
    cmsDoTransform(transform, &stored, &shown, 1);
    cmsDeleteTransform(transform);
    cmsCloseProfile(from);
    cmsCloseProfile(to);
    return shown;
}

// Patches of colour side by side: pure primaries (pure green first) and mid tones.
constexpr QRgb kPatches[] = {qRgb(0, 255, 0),     qRgb(255, 0, 0),    qRgb(0, 0, 255),
                             qRgb(60, 160, 90),   qRgb(200, 120, 40), qRgb(90, 60, 180),
                             qRgb(230, 230, 200), qRgb(20, 80, 40)};
constexpr int kPatch = 32;

// Display P3 and Adobe RGB pictures, in every format whose reader takes a profile, show what lcms2
// makes of their stored values, whole and scaled down, within 3 levels (JPEG: of the values its
// decoder gives). A profile Qt cannot use leaves the values as stored, and says so.
TEST_F(ColourAndOrientation, EmbeddedProfilesShowAsColourManaged) {
    // Display P3 does not ship: the P3 primaries and the sRGB curve.
    const fs::path p3 = folder / "p3.icc";
    writeBytes(p3, QColorSpace(QColorSpace::DisplayP3).iccProfile().toStdString());
    QImage patches(kPatch * std::size(kPatches), kPatch, QImage::Format_RGB32);
    QPainter painter(&patches);
    for (int i = 0; i < static_cast<int>(std::size(kPatches)); ++i)
        painter.fillRect(i * kPatch, 0, kPatch, kPatch, QColor(kPatches[i]));
    painter.end();
    save(patches, folder / "plain.png");
    const fs::path adobe = "/usr/share/color/icc/colord/AdobeRGB1998.icc";
    for (const fs::path& icc : {adobe, p3}) {
        for (const char* file : {"a.png", "a.jpg", "a.tif", "a.webp"}) {
            SCOPED_TRACE(icc.string() + " " + file);
            const fs::path path = folder / file;
            shell("convert " + (folder / "plain.png").string() +
                  " -quality 100 -sampling-factor 1x1 -define webp:lossless=true -profile " +
                  icc.string() + " " + path.string());
            const QImage stored(QString::fromStdString(path));
            for (const int longerSide : {0, 128}) {
                const auto photo = PhotoDecoder::decode(path, longerSide);
                ASSERT_TRUE(photo);
                const QImage& shown = photo.value().pixels;
                const double factor = double(shown.width()) / stored.width();
                for (int i = 0; i < static_cast<int>(std::size(kPatches)); ++i) {
                    const QPoint middle(i * kPatch + kPatch / 2, kPatch / 2);
                    const QRgb expected = managed(icc, stored.pixel(middle));
                    EXPECT_LE(difference(shown.pixel((middle * factor)), expected), 3)
                        << "patch " << i << " at " << longerSide;
                }
            }
        }
    }
    // A greyscale profile on colour pixels: Qt 6.4 takes none.
    const fs::path unusable = folder / "grey-profile.jpg";
    shell("convert " + (folder / "plain.png").string() + " -quality 100 -sampling-factor 1x1 " +
          unusable.string());
    shell("exiftool -q -overwrite_original '-icc_profile<=/usr/share/color/icc/Gray-CIE_L.icc' " +
          unusable.string());
    const auto photo = PhotoDecoder::decode(unusable, 0);
    ASSERT_TRUE(photo);
    EXPECT_TRUE(photo.value().unusableProfile);
    EXPECT_LE(difference(photo.value().pixels.pixel(kPatch / 2, kPatch / 2), kPatches[0]), 3);
    EXPECT_FALSE(PhotoDecoder::decode(folder / "plain.png", 0).value().unusableProfile);
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
    QImage plain(64, 16, QImage::Format_RGB32);
    plain.fill(stored);
    save(plain, folder / "plain.png");
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
        writeProfile(folder / "gamma.icc", c.primaries ? *c.primaries : kSrgb,
                     cmsBuildGamma(nullptr, 100000.0 / c.gamma));
        const QRgb converted = managed(folder / "gamma.icc", stored);
        ASSERT_GT(difference(converted, stored), 5);
        const auto photo = PhotoDecoder::decode(path, 32);
        ASSERT_TRUE(photo);
        const QRgb shown = photo.value().pixels.pixel(8, 4);
        if (c.asStored)
            EXPECT_EQ(shown, stored);
        else
            EXPECT_LE(difference(shown, converted), 3);
    }
}

// A picture of four coloured quarters: where the stored top-left (red) and top-right (green)
// quarters land after the EXIF orientation, in a PNG eXIf chunk and a WebP EXIF chunk.
TEST_F(ColourAndOrientation, OrientationFromPngAndWebpExif) {
    QImage quarters(60, 30, QImage::Format_RGB32);
    quarters.fill(Qt::blue);
    QPainter painter(&quarters);
    painter.fillRect(0, 0, 30, 15, QColor(255, 0, 0));
    painter.fillRect(30, 0, 30, 15, QColor(0, 255, 0));
    painter.end();
    save(quarters, folder / "plain.png");
    shell("cwebp -quiet -lossless " + (folder / "plain.png").string() + " -o " +
          (folder / "plain.webp").string());
    enum Corner { TopLeft, TopRight, BottomRight, BottomLeft };
    const struct {
        int orientation;
        Corner red, green;
    } cases[] = {{1, TopLeft, TopRight},       {2, TopRight, TopLeft},
                 {3, BottomRight, BottomLeft}, {4, BottomLeft, BottomRight},
                 {5, TopLeft, BottomLeft},     {6, TopRight, BottomRight},
                 {7, BottomRight, TopRight},   {8, BottomLeft, TopLeft}};
    for (const auto& c : cases) {
        const std::string n = std::to_string(c.orientation);
        const fs::path png = folder / ("o" + n + ".png"), webp = folder / ("o" + n + ".webp");
        shell("exiftool -q -Orientation#=" + n + " -o " + png.string() + " " +
              (folder / "plain.png").string());
        // The same EXIF, as exiftool wrote it, in the WebP's own chunk.
        shell("exiftool -q -b -exif -o " + (folder / ("o" + n + ".exif")).string() + " " +
              png.string());
        shell("webpmux -set exif " + (folder / ("o" + n + ".exif")).string() + " " +
              (folder / "plain.webp").string() + " -o " + webp.string());
        for (const fs::path& path : {png, webp}) {
            SCOPED_TRACE(path.filename().string());
            const QSize upright = c.orientation >= 5 ? QSize(30, 60) : QSize(60, 30);
            EXPECT_EQ(PhotoDecoder::naturalSize(path).value(), upright);
            for (const int longerSide : {0, 30}) {
                const auto photo = PhotoDecoder::decode(path, longerSide);
                ASSERT_TRUE(photo);
                const QImage& shown = photo.value().pixels;
                ASSERT_EQ(shown.size(), longerSide ? upright / 2 : upright);
                const int w = shown.width() - 2, h = shown.height() - 2;
                const QPoint corners[] = {{1, 1}, {w, 1}, {w, h}, {1, h}};
                EXPECT_EQ(shown.pixel(corners[c.red]), qRgb(255, 0, 0)) << longerSide;
                EXPECT_EQ(shown.pixel(corners[c.green]), qRgb(0, 255, 0)) << longerSide;
            }
        }
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
        save(halves, folder / "halves.png");
        for (const int bits : {1, 2, 4}) {
            SCOPED_TRACE(std::to_string(bits) + " bits " + std::to_string(size.width()));
            const fs::path path = folder / "palette.png";
            if (bits == 1)  // Qt writes a two-colour picture with one bit, ImageMagick with two
                save(halves.convertToFormat(QImage::Format_Mono, {left, right}), path);
            else
                shell("convert " + (folder / "halves.png").string() +
                      " -define png:exclude-chunks=gAMA,cHRM -define png:color-type=3"
                      " -define png:bit-depth=" +
                      std::to_string(bits) + " " + path.string());
            ASSERT_EQ(QImageReader(QString::fromStdString(path)).imageFormat(),
                      bits == 1 ? QImage::Format_Mono : QImage::Format_Indexed8);
            for (const int longerSide : {0, 375, 150}) {
                const auto photo = PhotoDecoder::decode(path, longerSide);
                ASSERT_TRUE(photo);
                const QImage& shown = photo.value().pixels;
                const int w = shown.width(), h = shown.height();
                EXPECT_LE(difference(shown.pixel(w / 4, h / 2), left), 1) << longerSide;
                EXPECT_LE(difference(shown.pixel(w * 3 / 4, h / 2), right), 1) << longerSide;
            }
        }
    }
    for (const char* name : {"half.png", "half.tif"}) {
        SCOPED_TRACE(name);
        const fs::path path = folder / name;
        shell("convert -size 400x300 xc:'rgba(255,0,0,0.5)' -depth 16 -define png:format=png64 " +
              path.string());
        for (const int longerSide : {0, 100}) {
            const QColor shown =
                PhotoDecoder::decode(path, longerSide).value().pixels.pixelColor(50, 40);
            EXPECT_NEAR(shown.alpha(), 128, 1) << longerSide;
            EXPECT_EQ(shown.red(), 255) << longerSide;
        }
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

class ModernFormats : public ColourAndOrientation {};

bool near(QRgb a, QRgb b, int tolerance) {
    return difference(a, b) <= tolerance && std::abs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

// Each format decodes upright at the size asked, its natural size from the header alone, with the
// colours a colour-managed conversion (lcms) of the encoder's input gives, within the codec's
// loss; several pictures give the primary or first; 24 megapixels fit the decode budget; a
// damaged file fails cleanly. The pictures are made with the encoders' own tools.
TEST_F(ModernFormats, DecodeUprightAtTheSizeAskedInTheirOwnColours) {
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
