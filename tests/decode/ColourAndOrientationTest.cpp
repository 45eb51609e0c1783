#include <gtest/gtest.h>
#include <lcms2.h>

#include <QImageReader>
#include <QImageWriter>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "decode/PhotoDecoder.h"
#include "decode/PreviewCache.h"
#include "support/TemporaryHome.h"
#include "support/TestFiles.h"

// Colours, orientation, palettes, 16-bit transparency and formats told by name, each against
// pictures that ImageMagick, exiftool and webpmux make here, and pixels a reference gives: lcms2
// for colours, the pictures' own values for the rest.
namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using testing::files::writeBytes;

void run(const std::string& command) {
    ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;
}

void save(const QImage& image, const fs::path& path) {
    ASSERT_TRUE(image.save(QString::fromStdString(path))) << path;
}

// Display P3 does not ship: D65, the P3 primaries and the sRGB curve, written by lcms2.
void writeDisplayP3(const fs::path& path) {
    const cmsCIExyY d65{0.3127, 0.3290, 1};
    const cmsCIExyYTRIPLE primaries{{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};
    const double srgbCurve[] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, srgbCurve);
    cmsToneCurve* curves[] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&d65, &primaries, curves);
    ASSERT_TRUE(cmsSaveProfileToFile(profile, path.c_str()));
    cmsCloseProfile(profile);
    cmsFreeToneCurve(curve);
}

// What a colour-managed viewer shows for `stored` in a file with the profile at `icc`.
QRgb managed(const fs::path& icc, QRgb stored) {
    const std::unique_ptr<void, decltype(&cmsCloseProfile)> from(
        cmsOpenProfileFromFile(icc.c_str(), "r"), cmsCloseProfile),
        to(cmsCreate_sRGBProfile(), cmsCloseProfile);
    cmsHTRANSFORM transform = cmsCreateTransform(from.get(), TYPE_RGB_8, to.get(), TYPE_RGB_8,
                                                 INTENT_RELATIVE_COLORIMETRIC, 0);
    const unsigned char in[] = {static_cast<unsigned char>(qRed(stored)),
                                static_cast<unsigned char>(qGreen(stored)),
                                static_cast<unsigned char>(qBlue(stored))};
    unsigned char out[3];
    cmsDoTransform(transform, in, out, 1);
    cmsDeleteTransform(transform);
    return qRgb(out[0], out[1], out[2]);
}

int difference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// Patches of colour side by side: pure primaries (pure green first) and mid tones.
constexpr QRgb kPatches[] = {qRgb(0, 255, 0),     qRgb(255, 0, 0),    qRgb(0, 0, 255),
                             qRgb(60, 160, 90),   qRgb(200, 120, 40), qRgb(90, 60, 180),
                             qRgb(230, 230, 200), qRgb(20, 80, 40)};
constexpr int kPatch = 32;

// Display P3 and Adobe RGB pictures, in every format whose reader takes a profile, show what lcms2
// makes of their stored values, whole and scaled down, within 3 levels (JPEG: of the values its
// decoder gives). A profile Qt cannot use leaves the values as stored, and says so.
TEST(ColourAndOrientation, EmbeddedProfilesShowAsColourManaged) {
    const testing::TemporaryHome home;
    const fs::path folder = home.root();
    const fs::path p3 = folder / "p3.icc";
    writeDisplayP3(p3);
    QImage patches(kPatch * std::size(kPatches), kPatch, QImage::Format_RGB32);
    for (int i = 0; i < static_cast<int>(std::size(kPatches)); ++i) {
        for (int y = 0; y < kPatch; ++y)
            for (int x = 0; x < kPatch; ++x)
                patches.setPixel(i * kPatch + x, y, kPatches[i]);
    }
    save(patches, folder / "plain.png");
    const fs::path adobe = "/usr/share/color/icc/colord/AdobeRGB1998.icc";
    for (const fs::path& icc : {adobe, p3}) {
        for (const char* file : {"a.png", "a.jpg", "a.tif", "a.webp"}) {
            SCOPED_TRACE(icc.string() + " " + file);
            const fs::path path = folder / file;
            run("convert " + (folder / "plain.png").string() +
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
    run("convert " + (folder / "plain.png").string() + " -quality 100 -sampling-factor 1x1 " +
        unusable.string());
    run("exiftool -q -overwrite_original '-icc_profile<=/usr/share/color/icc/Gray-CIE_L.icc' " +
        unusable.string());
    const auto photo = PhotoDecoder::decode(unusable, 0);
    ASSERT_TRUE(photo);
    EXPECT_TRUE(photo.value().unusableProfile);
    EXPECT_LE(difference(photo.value().pixels.pixel(kPatch / 2, kPatch / 2), kPatches[0]), 3);
    EXPECT_FALSE(PhotoDecoder::decode(folder / "plain.png", 0).value().unusableProfile);
}

// `png` with a chunk of `type` and `data` put right after its header.
std::string withChunk(const std::string& png, const std::string& type, const std::string& data) {
    std::uint32_t crc = 0xffffffff;
    for (const char c : type + data) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = crc >> 1 ^ (crc & 1 ? 0xedb88320 : 0);
    }
    const auto be32 = [](std::uint32_t v) {
        return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    };
    constexpr size_t kAfterHeader = 8 + 25;
    return png.substr(0, kAfterHeader) + be32(data.size()) + type + data + be32(~crc) +
           png.substr(kAfterHeader);
}

// PNG gAMA alone and with cHRM, no other colour chunk: a gamma near 1/2.2 with sRGB's primaries
// (or none) shows the values as stored, as libpng takes it for sRGB; other gammas and primaries
// convert as lcms2 converts the same primaries and pure power curve.
TEST(ColourAndOrientation, PngGammaAndChromaticities) {
    const testing::TemporaryHome home;
    const fs::path folder = home.root();
    // Dark, where sRGB's curve and a pure 1/2.2 power differ most (8 levels at 20).
    const QRgb stored = qRgb(20, 40, 90);
    QImage plain(64, 16, QImage::Format_RGB32);
    plain.fill(stored);
    save(plain, folder / "plain.png");
    const std::string png = testing::files::readBytes(folder / "plain.png");
    const cmsCIExyY d65{0.3127, 0.3290, 1};
    const cmsCIExyYTRIPLE srgb{{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}},
        p3{{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};
    const struct {
        std::uint32_t gamma;
        const cmsCIExyYTRIPLE* primaries;  // none: no cHRM
        bool asStored;
    } cases[] = {{100000, nullptr, false}, {100000, &srgb, false}, {55556, nullptr, false},
                 {45455, &p3, false},      {45455, nullptr, true}, {45455, &srgb, true},
                 {45000, &srgb, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.gamma) + (c.primaries == &p3 ? " P3" : ""));
        const auto be32 = [](double v) {
            const auto u = static_cast<std::uint32_t>(std::lround(v * 100000));
            return std::string{char(u >> 24), char(u >> 16), char(u >> 8), char(u)};
        };
        std::string bytes = withChunk(png, "gAMA", be32(c.gamma / 100000.0));
        if (c.primaries) {
            const auto& p = *c.primaries;
            bytes =
                withChunk(bytes, "cHRM",
                          be32(d65.x) + be32(d65.y) + be32(p.Red.x) + be32(p.Red.y) +
                              be32(p.Green.x) + be32(p.Green.y) + be32(p.Blue.x) + be32(p.Blue.y));
        }
        const fs::path path = folder / "gamma.png";
        writeBytes(path, bytes);
        cmsToneCurve* curve = cmsBuildGamma(nullptr, 100000.0 / c.gamma);
        cmsToneCurve* curves[] = {curve, curve, curve};
        cmsHPROFILE profile = cmsCreateRGBProfile(&d65, c.primaries ? c.primaries : &srgb, curves);
        ASSERT_TRUE(cmsSaveProfileToFile(profile, (folder / "gamma.icc").c_str()));
        cmsCloseProfile(profile);
        cmsFreeToneCurve(curve);
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
TEST(ColourAndOrientation, OrientationFromPngAndWebpExif) {
    const testing::TemporaryHome home;
    const fs::path folder = home.root();
    QImage quarters(60, 30, QImage::Format_RGB32);
    quarters.fill(Qt::blue);
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 30; ++x) {
            quarters.setPixel(x, y, qRgb(255, 0, 0));
            quarters.setPixel(x + 30, y, qRgb(0, 255, 0));
        }
    save(quarters, folder / "plain.png");
    run("cwebp -quiet -lossless " + (folder / "plain.png").string() + " -o " +
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
        run("exiftool -q -Orientation#=" + n + " -o " + png.string() + " " +
            (folder / "plain.png").string());
        // The same EXIF, as exiftool wrote it, in the WebP's own chunk.
        run("exiftool -q -b -exif -o " + (folder / ("o" + n + ".exif")).string() + " " +
            png.string());
        run("webpmux -set exif " + (folder / ("o" + n + ".exif")).string() + " " +
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
TEST(ColourAndOrientation, PalettesAndSixteenBitAlpha) {
    const testing::TemporaryHome home;
    const fs::path folder = home.root();
    const QRgb left = qRgb(200, 30, 40), right = qRgb(20, 90, 220);
    for (const int bits : {1, 2, 4}) {
        for (const QSize size : {QSize(640, 480), QSize(800, 600), QSize(2000, 1500)}) {
            SCOPED_TRACE(std::to_string(bits) + " bits " + std::to_string(size.width()));
            const fs::path path = folder / "palette.png";
            if (bits == 1) {  // Qt writes a two-colour picture with one bit, ImageMagick with two
                QImage mono(size, QImage::Format_Mono);
                mono.setColorTable({left, right});
                mono.fill(0);
                for (int y = 0; y < size.height(); ++y)
                    for (int x = size.width() / 2; x < size.width(); ++x)
                        mono.setPixel(x, y, 1);
                save(mono, path);
            } else {
                const std::string half = "-size " + std::to_string(size.width() / 2) + "x" +
                                         std::to_string(size.height()) + " xc:";
                run("convert " + half + "'rgb(200,30,40)' " + half + "'rgb(20,90,220)' +append " +
                    "-define png:exclude-chunks=gAMA,cHRM -define png:color-type=3 "
                    "-define png:bit-depth=" +
                    std::to_string(bits) + " " + path.string());
            }
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
        run("convert -size 400x300 xc:'rgba(255,0,0,0.5)' -depth 16 -define png:format=png64 " +
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

// Formats whose header gives no size (ICNS, MNG): each pins at its own size.
TEST(ColourAndOrientation, FormatsWithoutHeaderSizes) {
    const testing::TemporaryHome home;
    const fs::path folder = home.root();
    run("convert -size 64x48 xc:'rgb(0,128,255)' " + (folder / "a.png").string());
    run("convert " + (folder / "a.png").string() + " " + (folder / "a.mng").string());
    QImage icon(64, 64, QImage::Format_ARGB32);
    icon.fill(qRgb(0, 128, 255));
    ASSERT_TRUE(QImageWriter(QString::fromStdString(folder / "a.icns"), "icns").write(icon));
    const struct {
        const char* name;
        QSize size;
    } cases[] = {{"a.mng", {64, 48}}, {"a.icns", {64, 64}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = folder / c.name;
        EXPECT_EQ(PhotoDecoder::naturalSize(path).value(), c.size);
        const auto photo = PhotoDecoder::decode(path, 32);
        ASSERT_TRUE(photo);
        EXPECT_EQ(photo.value().naturalSize, QSizeF(c.size));
        EXPECT_LE(difference(photo.value().pixels.pixel(10, 10), qRgb(0, 128, 255)), 2);
    }
}

}  // namespace
}  // namespace corkwallery
