#pragma once

#include <QColor>
#include <QImage>
#include <filesystem>
#include <string>

namespace corkwallery::testing {

// A picture of `width` x `height`: `fill`, with a `marker` square of a quarter of the shorter side
// in its top-left corner, so turns and flips can be told apart.
QImage markedPicture(int width, int height, QColor fill, QColor marker);

// Writes `picture` as a JPEG carrying the EXIF orientation tag (1 to 8; 0 writes no tag).
void writeJpeg(const std::filesystem::path& path, const QImage& picture, int orientation = 0);

// Writes a PNG whose header promises `width` x `height` pixels, with almost no data after it: a
// decompression bomb as its header presents it, made in microseconds.
void writePngHeaderOnly(const std::filesystem::path& path, unsigned width, unsigned height);

void writeBytes(const std::filesystem::path& path, const std::string& bytes);

}  // namespace corkwallery::testing
