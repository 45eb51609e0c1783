#pragma once

#include <QColor>
#include <QImage>
#include <cstdint>
#include <filesystem>
#include <string>

// Files the tests lay out: pictures, hand-made JPEG headers and plain bytes.
namespace corkwallery::testing::files {

// A `width` x `height` picture of one colour, its folder made first; the name gives the format.
void writePicture(const std::filesystem::path& path, int width, int height,
                  QColor color = Qt::darkCyan);
// `picture` as a JPEG carrying the EXIF orientation tag (1 to 8), baseline or progressive.
void writeJpeg(const std::filesystem::path& path, const QImage& picture, int orientation,
               bool progressive = false);
// A PNG whose header promises `width` x `height` pixels with almost no data after it: a
// decompression bomb as its header presents it.
void writePngHeaderOnly(const std::filesystem::path& path, unsigned width, unsigned height);
void writeBytes(const std::filesystem::path& path, const std::string& bytes);
std::string readBytes(const std::filesystem::path& path);
// Runs `command` in sh, its output discarded; whether it exited with 0.
bool run(const std::string& command);
// Runs `command` in sh; a test failure, naming it, unless it exited with 0.
void shell(const std::string& command);
std::string bigEndian32(std::uint32_t value);
// A PNG chunk: the length of `typeAndData` less its four-letter type, then it, then its CRC.
std::string pngChunk(const std::string& typeAndData);
// The largest difference in any colour channel between two colours, or two pictures of one size
// (pictures of different sizes differ by 256).
int difference(QRgb a, QRgb b);
int difference(const QImage& a, const QImage& b);

}  // namespace corkwallery::testing::files
