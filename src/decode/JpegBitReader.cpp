#include "decode/JpegBitReader.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <utility>

namespace corkwallery {

namespace {

bool isRestart(int marker) {
    return marker >= 0xD0 && marker <= 0xD7;
}

}  // namespace

std::optional<JpegBitReader::HuffmanTable> JpegBitReader::HuffmanTable::build(
    std::span<const std::uint8_t, 16> counts, std::span<const std::uint8_t> values) {
    HuffmanTable table;
    table.values.assign(values.begin(), values.end());
    // Canonical codes: each length's codes follow the shorter ones', doubled.
    int code = 0, index = 0;
    for (int length = 1; length <= 16; ++length) {
        const int n = counts[static_cast<std::size_t>(length - 1)];
        table.offset[length] = index - code;
        table.maxCode[length] = n > 0 ? code + n - 1 : -1;
        if (code + n > (1 << length))
            return std::nullopt;
        for (int i = 0; i < n && length <= kFastBits; ++i) {
            const auto at = static_cast<std::size_t>(index) + static_cast<std::size_t>(i);
            const int value = at < table.values.size() ? table.values[at] : 0;
            const int shift = kFastBits - length;
            for (int rest = 0; rest < 1 << shift; ++rest) {
                table.fast[static_cast<std::size_t>((code + i) << shift | rest)] =
                    static_cast<std::uint16_t>(length << 8 | value);
            }
        }
        code += n;
        index += n;
        code <<= 1;
    }
    return table;
}

JpegBitReader::JpegBitReader(QIODevice& device, qint64 offset)
    : device_(device), buffer_(static_cast<std::size_t>(kBufferBytes)), offset_(offset) {}

bool JpegBitReader::refill() {
    position_ = 0;
    end_ =
        device_.seek(offset_) ? std::max<qint64>(0, device_.read(buffer_.data(), kBufferBytes)) : 0;
    offset_ += end_;
    return end_ > 0;
}

int JpegBitReader::byte() {
    if (position_ == end_ && !refill())
        return -1;
    return static_cast<unsigned char>(buffer_[static_cast<std::size_t>(position_++)]);
}

int JpegBitReader::nextMarker() {
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

std::optional<JpegBitReader::Bytes> JpegBitReader::segment() {
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

void JpegBitReader::fill() {
    while (bitCount_ <= 56) {
        int value = 0;
        if (pendingMarker_ < 0) {
            value = byte();
            if (value == 0xFF) {
                int next = byte();
                while (next == 0xFF)
                    next = byte();
                if (next != 0)
                    pendingMarker_ = next < 0 ? kEndOfImage : next;
            } else if (value < 0) {
                pendingMarker_ = kEndOfImage;
            }
        }
        if (pendingMarker_ >= 0) {
            value = 0;
            fillerBits_ += 8;
        }
        bitBuffer_ = bitBuffer_ << 8 | static_cast<std::uint64_t>(value);
        bitCount_ += 8;
    }
}

// A code longer than kFastBits, or none.
int JpegBitReader::decodeLong(const HuffmanTable& table) {
    const int ahead = peek(16);
    for (int length = kFastBits + 1; length <= 16; ++length) {
        const int code = ahead >> (16 - length);
        if (code <= table.maxCode[length]) {
            skip(length);
            const int index = code + table.offset[length];
            return index >= 0 && index < static_cast<int>(table.values.size())
                       ? table.values[static_cast<std::size_t>(index)]
                       : 0;
        }
    }
    skip(16);
    return 0;
}

void JpegBitReader::restart() {
    bitCount_ = fillerBits_ = 0;
    if (pendingMarker_ < 0)
        pendingMarker_ = nextMarker();
    if (isRestart(pendingMarker_))
        pendingMarker_ = -1;
}

bool JpegBitReader::dataEnded() const {
    return pendingMarker_ >= 0 && !isRestart(pendingMarker_);
}

}  // namespace corkwallery
