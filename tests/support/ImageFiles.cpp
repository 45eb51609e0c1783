#include "support/ImageFiles.h"

#include <QBuffer>
#include <QPainter>
#include <array>
#include <cstdint>
#include <fstream>
#include <stdexcept>

namespace corkwallery::testing {

namespace {

void putBigEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t crc32(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putChunk(std::string& png, const std::string& type, const std::string& data) {
    putBigEndian(png, static_cast<std::uint32_t>(data.size()), 4);
    png += type + data;
    putBigEndian(png, crc32(type + data), 4);
}

}  // namespace

QImage markedPicture(int width, int height, QColor fill, QColor marker) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(fill);
    QPainter painter(&picture);
    const int side = std::min(width, height) / 4;
    painter.fillRect(0, 0, side, side, marker);
    return picture;
}

void writeJpeg(const std::filesystem::path& path, const QImage& picture, int orientation) {
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "JPEG", 95))
        throw std::runtime_error("JPEG encoding failed");
    std::string bytes = encoded.toStdString();
    if (orientation != 0) {
        // APP1 "Exif": a little-endian TIFF header and one IFD entry, Orientation (0x0112), SHORT.
        std::string exif("Exif\0\0II\x2A\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 24);
        exif += static_cast<char>(orientation);
        exif += std::string(7, '\0');  // rest of the value field, then no next IFD
        std::string segment("\xFF\xE1");
        putBigEndian(segment, static_cast<std::uint32_t>(exif.size() + 2), 2);
        bytes.insert(2, segment + exif);  // right after SOI
    }
    writeBytes(path, bytes);
}

void writePngHeaderOnly(const std::filesystem::path& path, unsigned width, unsigned height) {
    std::string png("\x89PNG\r\n\x1A\n", 8);
    std::string header;
    putBigEndian(header, width, 4);
    putBigEndian(header, height, 4);
    header += std::string("\x08\x02\0\0\0", 5);  // 8-bit RGB, no interlace
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", std::string("\x78\x9C\x03\0\0\0\0\x01", 8));
    putChunk(png, "IEND", "");
    writeBytes(path, png);
}

void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

}  // namespace corkwallery::testing
