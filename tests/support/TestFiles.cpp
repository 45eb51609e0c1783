#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageWriter>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace corkwallery::testing::files {

void writePicture(const std::filesystem::path& path, int width, int height, QColor color) {
    std::filesystem::create_directories(path.parent_path());
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(color);
    // Encoded in memory and written by bytes: the path need not be UTF-8.
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, path.extension().string().substr(1).c_str()))
        throw std::runtime_error("cannot write " + path.string());
    writeBytes(path, encoded.toStdString());
}

void writeJpeg(const std::filesystem::path& path, const QImage& picture, int orientation,
               bool progressive) {
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(95);
    writer.setProgressiveScanWrite(progressive);
    writer.write(picture);
    // APP1 "Exif" right after SOI: a little-endian TIFF header and one IFD entry, Orientation
    // (0x0112) of type SHORT, then the rest of its value field and no next IFD.
    std::string exif(
        "\xFF\xE1\0\x22"
        "Exif\0\0II\x2A\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0",
        28);
    exif += static_cast<char>(orientation) + std::string(7, '\0');
    writeBytes(path, encoded.toStdString().insert(2, exif));
}

void shell(const std::string& command) {
    ASSERT_TRUE(run(command)) << command;
}

std::string bigEndian32(std::uint32_t value) {
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

std::string pngChunk(const std::string& typeAndData) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const unsigned char byte : typeAndData) {
        crc ^= byte;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return bigEndian32(std::uint32_t(typeAndData.size() - 4)) + typeAndData + bigEndian32(~crc);
}

void writePngHeaderOnly(const std::filesystem::path& path, unsigned width, unsigned height) {
    // 8-bit RGB, no interlace; one empty zlib stream of data.
    writeBytes(path, std::string("\x89PNG\r\n\x1A\n", 8) +
                         pngChunk("IHDR" + bigEndian32(width) + bigEndian32(height) +
                                  std::string("\x08\x02\0\0\0", 5)) +
                         pngChunk(std::string("IDAT\x78\x9C\x03\0\0\0\0\x01", 12)) +
                         pngChunk("IEND"));
}

void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool run(const std::string& command) {
    return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

int difference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

int difference(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return 256;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            worst = std::max(worst, difference(a.pixel(x, y), b.pixel(x, y)));
    return worst;
}

}  // namespace corkwallery::testing::files
