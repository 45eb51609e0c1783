#include "decode/EmbeddedMetadata.h"

#include <QBuffer>
#include <array>
#include <optional>

namespace corkwallery::EmbeddedMetadata {

namespace {

// More chunks than any real file has: a file of tiny chunks is not walked for long.
constexpr int kMostChunks = 4096;
// EXIF holds its orientation in the first directory, near its start.
constexpr qint64 kMostExifBytes = qint64{64} * 1024;
constexpr quint16 kOrientationTag = 0x0112;
constexpr quint16 kIccProfileTag = 0x8773;

std::optional<QByteArray> readExactly(QIODevice& device, qint64 bytes) {
    QByteArray data = device.read(bytes);
    if (data.size() != bytes)
        return std::nullopt;
    return data;
}

quint32 bigEndian32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32{u[0]} << 24 | quint32{u[1]} << 16 | quint32{u[2]} << 8 | u[3];
}

quint32 littleEndian32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32{u[3]} << 24 | quint32{u[2]} << 16 | quint32{u[1]} << 8 | u[0];
}

// A TIFF structure's first directory: the value of `tag`'s first SHORT, or 0 when the tag is
// absent; `found` tells absence from a zero value. The structure starts at the device's start.
quint16 firstDirectoryShort(QIODevice& device, quint16 tag, bool& found) {
    found = false;
    const auto header = readExactly(device, 8);
    if (!header)
        return 0;
    const bool little = header->startsWith(QByteArray("II*\0", 4));
    if (!little && !header->startsWith(QByteArray("MM\0*", 4)))
        return 0;
    const auto u16 = [little](const char* p) {
        const auto* u = reinterpret_cast<const unsigned char*>(p);
        return static_cast<quint16>(little ? u[0] | u[1] << 8 : u[0] << 8 | u[1]);
    };
    const quint32 offset =
        little ? littleEndian32(header->constData() + 4) : bigEndian32(header->constData() + 4);
    const auto count = device.seek(offset) ? readExactly(device, 2) : std::nullopt;
    if (!count)
        return 0;
    const auto entries = readExactly(device, qint64{12} * u16(count->constData()));
    if (!entries)
        return 0;
    for (qsizetype at = 0; at < entries->size(); at += 12) {
        if (u16(entries->constData() + at) == tag) {
            found = true;
            return u16(entries->constData() + at + 8);
        }
    }
    return 0;
}

// sRGB's white point and primaries as a PNG's cHRM states them (x, y in 100000ths), and how far
// each may stray, as libpng allows, to still count as sRGB.
constexpr quint32 kSrgbChromaticities[8] = {31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000};
constexpr quint32 kChromaticityTolerance = 1000;
// Gammas (in 100000ths) taken for sRGB's 1/2.2.
constexpr quint32 kLeastSrgbGamma = 45000;
constexpr quint32 kMostSrgbGamma = 46000;

bool srgbChromaticities(const QByteArray& chrm) {
    if (chrm.size() != 32)
        return false;
    for (int i = 0; i < 8; ++i) {
        const quint32 value = bigEndian32(chrm.constData() + qsizetype{4} * i);
        const quint32 srgb = kSrgbChromaticities[i];
        if ((value > srgb ? value - srgb : srgb - value) > kChromaticityTolerance)
            return false;
    }
    return true;
}

// PNG chunks: eXIf holds EXIF; iCCP a profile; gAMA and cHRM a colour space. Walked to
// the end, as eXIf may follow the data.
Metadata readPng(QIODevice& device) {
    Metadata metadata;
    if (!device.seek(8))
        return metadata;
    std::optional<quint32> gamma;
    bool srgbPrimaries = true;
    for (int chunk = 0; chunk < kMostChunks; ++chunk) {
        const auto head = readExactly(device, 8);
        if (!head)
            break;
        const quint32 length = bigEndian32(head->constData());
        const QByteArray type = head->mid(4);
        const qint64 next = device.pos() + length + 4;
        if (type == "IEND")
            break;
        if (type == "iCCP")
            metadata.hasProfile = true;
        if (type == "eXIf" && length <= kMostExifBytes) {
            if (const auto exif = readExactly(device, length))
                metadata.orientation = exifOrientation(*exif);
        }
        if (type == "gAMA" && length == 4) {
            if (const auto value = readExactly(device, 4))
                gamma = bigEndian32(value->constData());
        }
        if (type == "cHRM") {
            const auto value = length == 32 ? readExactly(device, 32) : std::nullopt;
            srgbPrimaries = value && srgbChromaticities(*value);
        }
        if (!device.seek(next))
            break;
    }
    metadata.srgbGamma = gamma && *gamma >= kLeastSrgbGamma && *gamma <= kMostSrgbGamma &&
                         srgbPrimaries && !metadata.hasProfile;
    return metadata;
}

// RIFF chunks of a WebP: EXIF holds EXIF; ICCP a profile. Chunks are padded to even sizes.
Metadata readWebp(QIODevice& device) {
    Metadata metadata;
    const auto riff = readExactly(device, 12);
    if (!riff || !riff->startsWith("RIFF") || riff->mid(8) != "WEBP")
        return metadata;
    for (int chunk = 0; chunk < kMostChunks; ++chunk) {
        const auto head = readExactly(device, 8);
        if (!head)
            break;
        const quint32 length = littleEndian32(head->constData() + 4);
        const QByteArray type = head->left(4);
        const qint64 next = device.pos() + length + (length & 1);
        if (type == "ICCP")
            metadata.hasProfile = true;
        if (type == "EXIF" && length <= kMostExifBytes) {
            if (const auto exif = readExactly(device, length))
                metadata.orientation = exifOrientation(*exif);
        }
        if (!device.seek(next))
            break;
    }
    return metadata;
}

// JPEG segments up to the first scan: an APP2 "ICC_PROFILE" holds (part of) a profile.
Metadata readJpeg(QIODevice& device) {
    Metadata metadata;
    const auto soi = readExactly(device, 2);
    if (!soi || *soi != "\xFF\xD8")
        return metadata;
    for (int segment = 0; segment < kMostChunks; ++segment) {
        const auto head = readExactly(device, 4);
        if (!head || static_cast<unsigned char>(head->at(0)) != 0xFF)
            break;
        const auto marker = static_cast<unsigned char>(head->at(1));
        const int length =
            static_cast<unsigned char>(head->at(2)) << 8 | static_cast<unsigned char>(head->at(3));
        if (marker == 0xDA || length < 2)
            break;
        const qint64 next = device.pos() + length - 2;
        if (marker == 0xE2 && device.read(12) == QByteArray("ICC_PROFILE\0", 12)) {
            metadata.hasProfile = true;
            break;
        }
        if (!device.seek(next))
            break;
    }
    return metadata;
}

}  // namespace

Metadata read(QIODevice& device) {
    if (!device.seek(0))
        return {};
    const QByteArray signature = device.peek(12);
    if (signature.startsWith("\x89PNG\r\n\x1A\n"))
        return readPng(device);
    if (signature.startsWith("RIFF") && signature.mid(8) == "WEBP")
        return readWebp(device);
    if (signature.startsWith("\xFF\xD8"))
        return readJpeg(device);
    if (signature.startsWith(QByteArray("II*\0", 4)) ||
        signature.startsWith(QByteArray("MM\0*", 4))) {
        bool found = false;
        firstDirectoryShort(device, kIccProfileTag, found);
        return {0, found};
    }
    return {};
}

int exifOrientation(const QByteArray& exif) {
    QByteArray tiff = exif;
    if (tiff.startsWith(QByteArray("Exif\0\0", 6)))
        tiff.remove(0, 6);
    QBuffer buffer(&tiff);
    buffer.open(QIODevice::ReadOnly);
    bool found = false;
    const quint16 orientation = firstDirectoryShort(buffer, kOrientationTag, found);
    return found && orientation >= 1 && orientation <= 8 ? orientation : 0;
}

QImageIOHandler::Transformations transformation(int orientation) {
    // By EXIF orientation, 1 to 8.
    using T = QImageIOHandler;
    static constexpr std::array<T::Transformations, 9> kTurns = {
        T::TransformationNone,     T::TransformationNone,
        T::TransformationMirror,   T::TransformationRotate180,
        T::TransformationFlip,     T::TransformationFlipAndRotate90,
        T::TransformationRotate90, T::TransformationMirrorAndRotate90,
        T::TransformationRotate270};
    return orientation >= 1 && orientation <= 8 ? kTurns[static_cast<std::size_t>(orientation)]
                                                : T::TransformationNone;
}

}  // namespace corkwallery::EmbeddedMetadata
