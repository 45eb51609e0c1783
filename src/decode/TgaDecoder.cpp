#include "decode/TgaDecoder.h"

#include <algorithm>
#include <vector>

namespace corkwallery {

namespace {

int u16(const uchar* p) {
    return p[0] | p[1] << 8;
}

int bytesFor(int bits) {
    return (bits + 7) / 8;
}

// Whether colours of `bits` hold a whole alpha byte (32-bit colour, 16-bit grey and alpha) rather
// than one attribute bit (16-bit colour).
bool byteAlpha(int bits, bool grey) {
    return bits == 32 || (grey && bits == 16);
}

// One stored colour, little-endian: grey (8), grey and alpha (16, greyscale), five bits a channel
// (rounded down to 8, as ImageMagick does) and an attribute bit (15, 16), BGR (24), BGRA (32).
// `alpha`: the alpha channel or bit is used.
QRgb colourAt(const uchar* p, int bits, bool grey, bool alpha) {
    if (grey)
        return qRgba(p[0], p[0], p[0], bits == 16 && alpha ? p[1] : 255);
    if (bits == 15 || bits == 16) {
        const int v = u16(p);
        const auto five = [v](int shift) { return ((v >> shift) & 31) * 255 / 31; };
        return qRgba(five(10), five(5), five(0), alpha && bits == 16 && !(v & 0x8000) ? 0 : 255);
    }
    return qRgba(p[2], p[1], p[0], bits == 32 && alpha ? p[3] : 255);
}

// Writes pixels in the file's order to their places in `image`, which is stored from any corner;
// never more than the picture holds.
class Cursor {
public:
    Cursor(QImage& image, bool topDown, bool rightToLeft)
        : image_(image), topDown_(topDown), rightToLeft_(rightToLeft) {
        if (!image_.isNull())
            line_ = row(0);
    }
    bool full() const { return line_ == nullptr; }
    qint64 written() const { return qint64{row_} * image_.width() + column_; }
    void put(QRgb colour) {
        const int width = image_.width();
        line_[rightToLeft_ ? width - 1 - column_ : column_] = colour;
        if (++column_ == width) {
            column_ = 0;
            line_ = ++row_ < image_.height() ? row(row_) : nullptr;
        }
    }

private:
    QRgb* row(int stored) {
        return reinterpret_cast<QRgb*>(
            image_.scanLine(topDown_ ? stored : image_.height() - 1 - stored));
    }
    QImage& image_;
    bool topDown_;
    bool rightToLeft_;
    QRgb* line_ = nullptr;
    int row_ = 0;
    int column_ = 0;
};

}  // namespace

TgaDecoder::TgaDecoder(QByteArrayView head, qint64 fileBytes) : fileBytes_(fileBytes) {
    if (head.size() < kHeaderBytes)
        return;
    const auto* h = reinterpret_cast<const uchar*>(head.data());
    const int mapType = h[1];
    type_ = h[2];
    pixelBits_ = h[16];
    alphaBits_ = h[17] & 0x0f;
    rightToLeft_ = h[17] & 0x10;
    topDown_ = h[17] & 0x20;
    reservedBits_ = h[17] >> 6;
    if (mapType == 1) {
        mapFirst_ = u16(h + 3);
        mapLength_ = u16(h + 5);
        mapEntryBits_ = h[7];
    }
    size_ = QSize(u16(h + 12), u16(h + 14));
    const auto oneOf = [](int bits, std::initializer_list<int> allowed) {
        return std::find(allowed.begin(), allowed.end(), bits) != allowed.end();
    };
    bool known = false;
    if (colourMapped())
        known = mapType == 1 && mapLength_ > 0 && oneOf(pixelBits_, {8, 16});
    else if (greyscale())
        known = oneOf(pixelBits_, {8, 16});
    else if (type_ == 2 || type_ == 10)
        known = oneOf(pixelBits_, {15, 16, 24, 32});
    mapOffset_ = kHeaderBytes + h[0];
    dataOffset_ = mapOffset_ + qint64{mapLength_} * bytesFor(mapEntryBits_);
    valid_ = known && mapType <= 1 && (mapType == 0 || oneOf(mapEntryBits_, {15, 16, 24, 32})) &&
             !size_.isEmpty() && fileBytes_ > dataOffset_;
}

bool TgaDecoder::isPlausible() const {
    if (!valid_ || reservedBits_ != 0)
        return false;
    const qint64 pixels = qint64{size_.width()} * size_.height();
    // A run-length packet holds at most 128 pixels.
    const qint64 least =
        runLength() ? (pixels + 127) / 128 * (1 + pixelBytes()) : pixels * pixelBytes();
    return fileBytes_ >= dataOffset_ + least;
}

qint64 TgaDecoder::mostBytesRead() const {
    // At worst every pixel is a packet of its own.
    const qint64 pixels = qint64{size_.width()} * size_.height();
    return std::min(fileBytes_, dataOffset_ + pixels * (pixelBytes() + (runLength() ? 1 : 0)));
}

bool TgaDecoder::hasAlpha() const {
    const int bits = colourMapped() ? mapEntryBits_ : pixelBits_;
    return byteAlpha(bits, greyscale()) || (bits == 16 && alphaBits_ > 0);
}

QImage TgaDecoder::decode(QByteArrayView file) const {
    if (!valid_ || file.size() < dataOffset_)
        return {};
    const auto* bytes = reinterpret_cast<const uchar*>(file.data());
    const bool alpha = hasAlpha();
    const bool grey = greyscale();
    std::vector<QRgb> map;
    if (colourMapped()) {
        map.resize(mapLength_);
        const int step = bytesFor(mapEntryBits_);
        for (int i = 0; i < mapLength_; ++i)
            map[i] = colourAt(bytes + mapOffset_ + qint64{i} * step, mapEntryBits_, false, alpha);
    }
    const int step = pixelBytes();
    const auto pixel = [&](const uchar* p) -> QRgb {
        if (!colourMapped())
            return colourAt(p, pixelBits_, grey, alpha);
        const int index = (pixelBits_ == 16 ? u16(p) : p[0]) - mapFirst_;
        return index >= 0 && index < mapLength_ ? map[index] : qRgba(0, 0, 0, alpha ? 0 : 255);
    };

    QImage image(size_, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.fill(alpha ? qRgba(0, 0, 0, 0) : qRgb(0, 0, 0));
    Cursor cursor(image, topDown_, rightToLeft_);
    const uchar* at = bytes + dataOffset_;
    const uchar* const end = bytes + file.size();
    if (!runLength()) {
        for (; !cursor.full() && end - at >= step; at += step)
            cursor.put(pixel(at));
    } else {
        // A packet may run on past a row's end into the next row.
        while (!cursor.full() && at < end) {
            const int packet = *at++;
            const int count = (packet & 0x7f) + 1;
            if (packet & 0x80) {
                if (end - at < step)
                    break;
                const QRgb colour = pixel(at);
                at += step;
                for (int i = 0; i < count && !cursor.full(); ++i)
                    cursor.put(colour);
            } else {
                for (int i = 0; i < count && !cursor.full() && end - at >= step; ++i, at += step)
                    cursor.put(pixel(at));
            }
        }
    }
    if (cursor.written() == 0)
        return {};
    // A 32-bit picture that states no alpha bits and whose alpha is zero throughout is opaque:
    // its writer left the byte unused.
    if (alpha && alphaBits_ == 0) {
        bool unused = true;
        for (int y = 0; y < image.height() && unused; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            unused = std::all_of(line, line + image.width(), [](QRgb c) { return qAlpha(c) == 0; });
        }
        if (unused) {
            for (int y = 0; y < image.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                std::for_each(line, line + image.width(), [](QRgb& c) { c |= 0xff000000; });
            }
            image.reinterpretAsFormat(QImage::Format_RGB32);
        }
    }
    return image;
}

}  // namespace corkwallery
