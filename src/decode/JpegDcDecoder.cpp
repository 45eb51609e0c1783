#include "decode/JpegDcDecoder.h"

#include <QIODevice>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

namespace corkwallery {

namespace {

constexpr int kStartOfImage = 0xD8;
constexpr int kEndOfImage = 0xD9;  // also what the end of the file reads as
constexpr int kStartOfScan = 0xDA;
constexpr int kHuffmanTables = 0xC4;
constexpr int kQuantizationTables = 0xDB;
constexpr int kRestartInterval = 0xDD;
constexpr int kAdobe = 0xEE;
constexpr std::size_t kBufferBytes = std::size_t{64} * 1024;

bool isRestart(int marker) {
    return marker >= 0xD0 && marker <= 0xD7;
}

// Frame headers: every SOFn but the codes JPEG gives to tables and extensions.
bool isFrame(int marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != kHuffmanTables && marker != 0xC8 &&
           marker != 0xCC;
}

bool hasSegment(int marker) {
    return !isRestart(marker) && marker != kStartOfImage && marker != kEndOfImage && marker != 0x01;
}

int ceilDiv(int a, int b) {
    return (a + b - 1) / b;
}

qint64 area(QSize size) {
    return static_cast<qint64>(size.width()) * size.height();
}

int channel(int value) {
    return std::clamp(value, 0, 255);
}

// A block's average level from its DC coefficient, as libjpeg's 1x1 inverse DCT computes it.
int level(std::int16_t dc, int quant) {
    return std::clamp(static_cast<int>((static_cast<long long>(dc) * quant + 4) >> 3) + 128, 0,
                      255);
}

}  // namespace

JpegDcDecoder::JpegDcDecoder(QIODevice& device) : device_(device), buffer_(kBufferBytes) {}

std::optional<JpegFrame> JpegDcDecoder::readFrame() {
    if (byte() != 0xFF || byte() != kStartOfImage)
        return std::nullopt;
    for (int marker = nextMarker(); marker != kEndOfImage && marker != kStartOfScan;
         marker = nextMarker()) {
        if (!hasSegment(marker))
            continue;
        const auto data = segment();
        if (!data)
            break;
        if (isFrame(marker))
            return readFrameHeader(marker, *data) ? std::optional(frame_) : std::nullopt;
        if (!readTables(marker, *data))
            break;
    }
    return std::nullopt;
}

QImage JpegDcDecoder::decodeEighth() {
    if (!frame_.dcDecodable)
        return {};
    const std::size_t count = frame_.components.size();
    try {
        dc_.resize(count);
        for (std::size_t k = 0; k < count; ++k)
            dc_[k].assign(static_cast<std::size_t>(area(frame_.paddedBlocks(frame_.components[k]))),
                          0);
    } catch (const std::bad_alloc&) {
        return {};
    }
    predictor_.assign(count, 0);
    quant_.assign(count, 0);
    bool dcScanned = false;
    for (int marker = nextMarker(); marker != kEndOfImage; marker = nextMarker()) {
        if (!hasSegment(marker))
            continue;
        const auto data = segment();
        if (!data)
            break;
        if (marker == kStartOfScan ? !decodeScan(*data, dcScanned) : !readTables(marker, *data))
            return {};
    }
    return dcScanned ? render() : QImage();
}

bool JpegDcDecoder::refill() {
    position_ = 0;
    end_ = std::max<qint64>(0, device_.read(buffer_.data(), static_cast<qint64>(buffer_.size())));
    return end_ > 0;
}

int JpegDcDecoder::byte() {
    if (position_ == end_ && !refill())
        return -1;
    return static_cast<unsigned char>(buffer_[static_cast<std::size_t>(position_++)]);
}

// Skips entropy-coded data (a scan this decoder does not need, or the rest of one it stopped
// reading) and fill bytes up to the next marker.
int JpegDcDecoder::nextMarker() {
    if (pendingMarker_ >= 0)
        return std::exchange(pendingMarker_, -1);
    for (;;) {
        if (position_ == end_ && !refill())
            return kEndOfImage;
        const char* from = buffer_.data() + position_;
        const void* ff = std::memchr(from, 0xFF, static_cast<std::size_t>(end_ - position_));
        if (ff == nullptr) {
            position_ = end_;
            continue;
        }
        position_ += static_cast<const char*>(ff) - from + 1;
        int code = byte();
        while (code == 0xFF)
            code = byte();
        if (code < 0)
            return kEndOfImage;
        if (code != 0)
            return code;
    }
}

std::optional<JpegDcDecoder::Bytes> JpegDcDecoder::segment() {
    const int high = byte();
    const int low = byte();
    if (high < 0 || low < 0 || (high << 8 | low) < 2)
        return std::nullopt;
    Bytes data(static_cast<std::size_t>((high << 8 | low) - 2));
    for (std::uint8_t& b : data) {
        const int value = byte();
        if (value < 0)
            return std::nullopt;
        b = static_cast<std::uint8_t>(value);
    }
    return data;
}

bool JpegDcDecoder::readTables(int marker, const Bytes& d) {
    const std::size_t size = d.size();
    if (marker == kHuffmanTables) {
        for (std::size_t at = 0; at < size;) {
            if (at + 17 > size)
                return false;
            const int kind = d[at] >> 4, id = d[at] & 15;
            int total = 0;
            for (std::size_t i = 1; i <= 16; ++i)
                total += d[at + i];
            if (kind > 1 || id > 3 || total > 256 ||
                at + 17 + static_cast<std::size_t>(total) > size)
                return false;
            if (kind == 0) {  // only DC tables are used
                HuffmanTable table;
                table.values.assign(d.begin() + static_cast<std::ptrdiff_t>(at + 17),
                                    d.begin() + static_cast<std::ptrdiff_t>(at + 17 + total));
                // Canonical codes: each length's codes follow the shorter ones', doubled.
                int code = 0, index = 0;
                for (int length = 1; length <= 16; ++length) {
                    const int n = d[at + static_cast<std::size_t>(length)];
                    table.offset[length] = index - code;
                    table.maxCode[length] = n > 0 ? code + n - 1 : -1;
                    code += n;
                    index += n;
                    if (code > (1 << length))
                        return false;
                    code <<= 1;
                }
                dcTables_[id] = std::move(table);
            }
            at += 17 + static_cast<std::size_t>(total);
        }
    } else if (marker == kQuantizationTables) {
        for (std::size_t at = 0; at < size;) {
            const int wide = d[at] >> 4, id = d[at] & 15;
            const std::size_t length = 1 + 64 * (wide != 0 ? 2 : 1);
            if (wide > 1 || id > 3 || at + length > size)
                return false;
            dcQuant_[id] = wide != 0 ? d[at + 1] << 8 | d[at + 2] : d[at + 1];
            at += length;
        }
    } else if (marker == kRestartInterval && size >= 2) {
        restartInterval_ = d[0] << 8 | d[1];
    } else if (marker == kAdobe && size >= 12 && std::memcmp(d.data(), "Adobe", 5) == 0) {
        adobeTransform_ = d[11];
    }
    return true;
}

bool JpegDcDecoder::readFrameHeader(int marker, const Bytes& d) {
    if (d.size() < 6)
        return false;
    const int precision = d[0];
    const int height = d[1] << 8 | d[2];
    const int width = d[3] << 8 | d[4];
    const std::size_t count = d[5];
    if (width == 0 || height == 0 || count == 0 || d.size() < 6 + 3 * count)
        return false;
    frame_.size = QSize(width, height);
    frame_.components.clear();
    for (std::size_t i = 0; i < count; ++i) {
        const JpegFrame::Component c{d[6 + 3 * i], d[7 + 3 * i] >> 4, d[7 + 3 * i] & 15,
                                     d[8 + 3 * i]};
        if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4 || c.quantTable > 3)
            return false;
        frame_.components.push_back(c);
    }
    frame_.progressive = marker == 0xC2 || marker == 0xCA;  // Huffman or arithmetic
    frame_.dcDecodable = marker == 0xC2 && precision == 8 && (count == 1 || count == 3);
    // As libjpeg tells RGB from YCbCr: Adobe's transform flag, or else the components' names.
    const auto& c = frame_.components;
    rgb_ = count == 3 && (adobeTransform_ == 0 || (adobeTransform_ < 0 && c[0].id == 'R' &&
                                                   c[1].id == 'G' && c[2].id == 'B'));
    return true;
}

// A DC scan sets each block's coefficient (the first) or one more bit of it (a refinement); an
// AC scan is left for nextMarker() to skip. Once the data of an interval runs out, its remaining
// blocks stay as they are, as libjpeg leaves them.
bool JpegDcDecoder::decodeScan(const Bytes& d, bool& dcScanned) {
    const std::size_t count = d.empty() ? 0 : d[0];
    if (count < 1 || count > 4 || d.size() < 4 + 2 * count)
        return false;
    std::vector<std::size_t> members;
    std::vector<int> tables;
    for (std::size_t i = 0; i < count; ++i) {
        const auto& all = frame_.components;
        const auto match = std::find_if(all.begin(), all.end(), [&](const JpegFrame::Component& c) {
            return c.id == d[1 + 2 * i];
        });
        if (match == all.end() || (d[2 + 2 * i] >> 4) > 3)
            return false;
        members.push_back(static_cast<std::size_t>(match - all.begin()));
        tables.push_back(d[2 + 2 * i] >> 4);
    }
    const int start = d[1 + 2 * count], end = d[2 + 2 * count];
    const int high = d[3 + 2 * count] >> 4, low = d[3 + 2 * count] & 15;
    if (start != 0)
        return true;
    if (end != 0 || low > 13)
        return false;
    const bool first = high == 0;
    for (std::size_t i = 0; i < count && first; ++i) {
        if (!dcTables_[static_cast<std::size_t>(tables[i])])
            return false;
        quant_[members[i]] =
            dcQuant_[static_cast<std::size_t>(frame_.components[members[i]].quantTable)];
    }
    dcScanned = dcScanned || first;
    bitCount_ = 0;
    std::fill(predictor_.begin(), predictor_.end(), 0);

    std::vector<std::size_t> strides;
    strides.reserve(members.size());
    for (const std::size_t k : members)
        strides.push_back(
            static_cast<std::size_t>(frame_.paddedBlocks(frame_.components[k]).width()));
    const auto block = [&](std::size_t i, int x, int y) {
        const std::size_t k = members[i];
        std::int16_t& coefficient =
            dc_[k][static_cast<std::size_t>(y) * strides[i] + static_cast<std::size_t>(x)];
        if (!first) {
            if (bit() != 0)
                coefficient = static_cast<std::int16_t>(coefficient | 1 << low);
            return;
        }
        const int size = decodeSymbol(*dcTables_[static_cast<std::size_t>(tables[i])]);
        int difference = 0;
        if (size > 0 && size <= 16) {
            difference = bits(size);
            if (difference < 1 << (size - 1))
                difference -= (1 << size) - 1;
        }
        predictor_[k] = static_cast<std::int16_t>(predictor_[k] + difference);
        coefficient = static_cast<std::int16_t>(predictor_[k] * (1 << low));
    };

    // One component alone is coded block by block over its own extent; several are coded in
    // units of each one's h x v blocks.
    const JpegFrame::Component& one = frame_.components[members[0]];
    const int hMax = frame_.maxSampling().width(), vMax = frame_.maxSampling().height();
    const int across = count == 1 ? ceilDiv(ceilDiv(frame_.size.width() * one.h, hMax), 8)
                                  : ceilDiv(frame_.size.width(), 8 * hMax);
    const int down = count == 1 ? ceilDiv(ceilDiv(frame_.size.height() * one.v, vMax), 8)
                                : ceilDiv(frame_.size.height(), 8 * vMax);
    const qint64 total = static_cast<qint64>(across) * down;
    for (qint64 unit = 0; unit < total; ++unit) {
        if (restartInterval_ > 0 && unit > 0 && unit % restartInterval_ == 0)
            restart();
        if (pendingMarker_ >= 0)
            continue;
        const int x = static_cast<int>(unit % across), y = static_cast<int>(unit / across);
        if (count == 1) {
            block(0, x, y);
            continue;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const JpegFrame::Component& c = frame_.components[members[i]];
            for (int v = 0; v < c.v; ++v) {
                for (int h = 0; h < c.h; ++h)
                    block(i, x * c.h + h, y * c.v + v);
            }
        }
    }
    return true;
}

void JpegDcDecoder::restart() {
    bitCount_ = 0;
    if (pendingMarker_ < 0)
        pendingMarker_ = nextMarker();
    if (isRestart(pendingMarker_))
        pendingMarker_ = -1;
    std::fill(predictor_.begin(), predictor_.end(), 0);
}

// Entropy-coded data, bit by bit: 0xFF 0x00 stands for 0xFF, and any other marker ends the data
// (it is kept for nextMarker()); past it every bit reads as 0.
int JpegDcDecoder::bit() {
    if (bitCount_ == 0) {
        int value = 0;
        if (pendingMarker_ < 0) {
            value = byte();
            if (value == 0xFF) {
                int next = byte();
                while (next == 0xFF)
                    next = byte();
                if (next != 0) {
                    pendingMarker_ = next < 0 ? kEndOfImage : next;
                    value = 0;
                }
            } else if (value < 0) {
                pendingMarker_ = kEndOfImage;
                value = 0;
            }
        }
        bitBuffer_ = static_cast<std::uint32_t>(value);
        bitCount_ = 8;
    }
    --bitCount_;
    return static_cast<int>(bitBuffer_ >> bitCount_) & 1;
}

int JpegDcDecoder::bits(int count) {
    int value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 1 | bit();
    return value;
}

// A code no table has reads as 0, a difference of nothing.
int JpegDcDecoder::decodeSymbol(const HuffmanTable& table) {
    int code = 0;
    for (int length = 1; length <= 16; ++length) {
        code = code << 1 | bit();
        if (code <= table.maxCode[length]) {
            const int index = code + table.offset[length];
            return index >= 0 && index < static_cast<int>(table.values.size())
                       ? table.values[static_cast<std::size_t>(index)]
                       : 0;
        }
    }
    return 0;
}

// Each pixel is one 8 x 8 block of the full picture; a component sampled more coarsely covers
// several pixels with one of its blocks.
QImage JpegDcDecoder::render() const {
    const QSize out = frame_.eighth();
    QImage image(out, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const auto& components = frame_.components;
    const std::size_t count = components.size();
    const int hMax = frame_.maxSampling().width(), vMax = frame_.maxSampling().height();
    std::vector<std::vector<int>> columns(count);
    for (std::size_t k = 0; k < count; ++k) {
        for (int x = 0; x < out.width(); ++x)
            columns[k].push_back(x * components[k].h / hMax);
    }
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::array<const std::int16_t*, 3> rows{};
        for (std::size_t k = 0; k < count; ++k) {
            const int stride = frame_.paddedBlocks(components[k]).width();
            rows[k] = dc_[k].data() + static_cast<std::size_t>(y * components[k].v / vMax) * stride;
        }
        for (int x = 0; x < out.width(); ++x) {
            std::array<int, 3> s{};
            for (std::size_t k = 0; k < count; ++k)
                s[k] = level(rows[k][columns[k][static_cast<std::size_t>(x)]], quant_[k]);
            if (count == 1) {
                line[x] = qRgb(s[0], s[0], s[0]);
            } else if (rgb_) {
                line[x] = qRgb(s[0], s[1], s[2]);
            } else {
                // JFIF's conversion in 16-bit fixed point, rounded.
                const int y16 = s[0] * 65536 + 32768, cb = s[1] - 128, cr = s[2] - 128;
                line[x] = qRgb(channel((y16 + 91881 * cr) >> 16),
                               channel((y16 - 22554 * cb - 46802 * cr) >> 16),
                               channel((y16 + 116130 * cb) >> 16));
            }
        }
    }
    return image;
}

}  // namespace corkwallery
