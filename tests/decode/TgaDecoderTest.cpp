#include <gtest/gtest.h>

#include <filesystem>

#include "DecodedPhoto.h"
#include "decode/TgaDecoder.h"
#include "support/TemporaryHome.h"
#include "support/TestFiles.h"

// TGAs that ImageMagick writes, and a few written here, against ImageMagick's own decode of each.
namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using namespace testing::files;

QImage decoded(const std::string& bytes) {
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return TgaDecoder(view, view.size()).decode(view);
}

// Whether `image` is ImageMagick's decode of `tga` in every channel, alpha included. ImageMagick
// reports the stored origin as an orientation rather than turning the pixels: it is applied here.
// (Its writer marks pixels stored from the top as stored from the bottom, so what it writes shows
// upside down, here as in its own oriented decode.)
bool decodedAsImageMagickDoes(const QImage& image, const fs::path& tga) {
    const std::string rgba = tga.string() + ".rgba";
    EXPECT_TRUE(run("convert " + tga.string() + " -auto-orient -depth 8 rgba:" + rgba));
    const std::string bytes = readBytes(rgba);
    return qsizetype(bytes.size()) == qsizetype{image.width()} * image.height() * 4 &&
           image.convertToFormat(QImage::Format_RGBA8888) ==
               QImage(reinterpret_cast<const uchar*>(bytes.data()), image.width(), image.height(),
                      QImage::Format_RGBA8888);
}

// Every kind ImageMagick writes (plain and run-length, true colour, palette, grey, 16 bits, alpha,
// all four origins) and, written here, packets that run past a row's end and a colour map of
// 32-bit entries that starts at index 2: no pixel differs, alpha included.
TEST(TgaDecoder, DecodesAsImageMagickDoes) {
    const testing::TemporaryHome home;
    const fs::path folder = home.root();
    const std::string colour = (folder / "colour.png").string(),
                      alpha = (folder / "alpha.png").string();
    // Noise for raw packets, a flat band for runs, an odd size.
    shell("convert -size 37x23 plasma:fractal -fill 'rgb(10,200,30)' -draw 'rectangle 0,5 36,9' " +
          colour);
    shell("convert " + colour + " \\( -size 37x23 gradient: \\) -alpha off -compose copy_opacity " +
          "-composite " + alpha);
    // 3 x 2 from the top left: a run of 5 pixels over both rows, then a raw packet of one.
    const std::string runs = std::string("\0\0\x0a", 3) + std::string(9, '\0') +
                             std::string("\3\0\2\0\x18\x20", 6) + "\x84\x10\x80\xf0" +
                             std::string("\0\x01\x02\x03", 4);
    // 2 x 2 from the bottom left, indices 2 to 4 into BGRA entries, with 8 alpha bits.
    const std::string mapped = std::string("\0\1\1\2\0\3\0\x20\0\0\0\0\2\0\2\0\x08\x08", 18) +
                               std::string("\xff\0\0\xff\0\xff\0\x80\0\0\xff\0", 12) +
                               std::string("\2\3\4\2", 4);
    writeBytes(folder / "runs.tga", runs);
    writeBytes(folder / "mapped.tga", mapped);
    std::vector<fs::path> tgas = {folder / "runs.tga", folder / "mapped.tga"};
    for (const auto& [source, options] :
         {std::pair{colour, "-compress RLE"},
          {colour, "-type Palette"},
          {colour, "-type Grayscale -compress RLE"},
          {colour, "-define tga:image-origin=TopRight -compress RLE"},
          {colour, "-define tga:image-origin=BottomRight"},
          {colour, "-depth 5"},
          {alpha, "-compress RLE -define tga:image-origin=TopLeft"},
          {alpha, "-depth 5"}}) {
        tgas.push_back(folder / ("im" + std::to_string(tgas.size()) + ".tga"));
        shell("convert " + source + " " + options + " " + tgas.back().string());
    }
    for (const fs::path& tga : tgas) {
        SCOPED_TRACE(tga.filename().string());
        EXPECT_TRUE(decodedAsImageMagickDoes(decoded(readBytes(tga)), tga));
    }
}

// Through PhotoDecoder: a TGA by its name (read by content, the ICO reader claims it) or, named
// otherwise, by its header alone. A truncated one keeps the rows its data reaches, the rest black;
// a damaged header is no picture.
TEST(TgaDecoder, PinsByNameAndKeepsWhatATruncatedFileHolds) {
    const testing::TemporaryHome home;
    const fs::path folder = home.root();
    const fs::path tga = folder / "a.tga", unnamed = folder / "a.picture";
    shell("convert -size 40x30 plasma:fractal -compress None " + tga.string());
    // Stored from the bottom, whichever way this ImageMagick writes.
    std::string bytes = readBytes(tga);
    bytes[17] = 0;
    writeBytes(tga, bytes);
    shell("convert " + tga.string() + " -compress RLE tga:" + unnamed.string());
    const QImage whole = decoded(bytes);
    for (const fs::path& path : {tga, unnamed}) {
        SCOPED_TRACE(path.filename().string());
        testing::expectDecodes(path, 20, {QSize(40, 30)});
        EXPECT_EQ(
            PhotoDecoder::decode(path, 0).value().pixels.convertToFormat(QImage::Format_RGB32),
            whole);
    }

    // Stored from the bottom: ten whole rows and part of the eleventh.
    const QImage cut = decoded(bytes.substr(0, 18 + (10 * 40 + 7) * 3));
    ASSERT_EQ(cut.size(), QSize(40, 30));
    EXPECT_EQ(cut.copy(0, 20, 40, 10), whole.copy(0, 20, 40, 10));
    EXPECT_EQ(cut.copy(0, 19, 7, 1), whole.copy(0, 19, 7, 1));
    EXPECT_EQ(cut.pixel(7, 19), qRgb(0, 0, 0));
    EXPECT_EQ(cut.pixel(39, 0), qRgb(0, 0, 0));

    std::string unknownType = bytes;
    unknownType[2] = 7;
    for (const std::string& damaged : {bytes.substr(0, 17), bytes.substr(0, 18), unknownType}) {
        writeBytes(tga, damaged);
        EXPECT_FALSE(PhotoDecoder::open(tga)) << damaged.size();
    }
}

}  // namespace
}  // namespace corkwallery
