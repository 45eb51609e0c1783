#pragma once

#include <QtGlobal>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

class QIODevice;

namespace corkwallery {

// A JPEG's bytes as its decoders read them: markers and their segments, and entropy-coded data bit
// by bit and symbol by symbol. Reads the device in chunks from its own offset, so that readers of
// several scans can share one device; a read past the end is never made.
class JpegBitReader {
public:
    struct HuffmanTable {
        std::array<int, 17> maxCode{};  // per code length; -1 when none has it
        std::array<int, 17> offset{};   // from a code of that length to its value's index
        std::vector<std::uint8_t> values;
        // By the next kFastBits bits: a code no longer than that, as its length << 8 | value;
        // 0 for a longer code.
        std::array<std::uint16_t, 1 << 9> fast{};

        // From a table's 16 code counts and its values; none for counts no prefix code can have.
        static std::optional<HuffmanTable> build(std::span<const std::uint8_t, 16> counts,
                                                 std::span<const std::uint8_t> values);
    };
    using Bytes = std::vector<std::uint8_t>;

    static constexpr int kEndOfImage = 0xD9;  // also what the end of the file reads as
    static constexpr int kFastBits = 9;
    static constexpr qint64 kBufferBytes = qint64{16} * 1024;

    explicit JpegBitReader(QIODevice& device, qint64 offset = 0);

    // The offset in the file of the next byte to read.
    qint64 position() const { return offset_ - (end_ - position_); }
    // -1 at the end of the file.
    int byte();
    // Skips entropy-coded data and fill bytes up to the next marker.
    int nextMarker();
    // The segment after a marker, without its length.
    std::optional<Bytes> segment();

    // Entropy-coded data: 0xFF 0x00 stands for 0xFF, and any other marker ends the data (it is
    // kept for nextMarker()); past it every bit reads as 0. Inline: they run per coefficient.
    int bit() { return bits(1); }
    int bits(int count) {
        if (count <= 0)
            return 0;
        const int value = peek(count);
        skip(count);
        return value;
    }
    // A value of `size` bits, as JPEG codes differences and coefficients.
    int signedBits(int size) {
        if (size <= 0 || size > 16)
            return 0;
        const int value = bits(size);
        return value < 1 << (size - 1) ? value - ((1 << size) - 1) : value;
    }
    // A code no table has reads as 0.
    int decode(const HuffmanTable& table) {
        const int entry = table.fast[static_cast<std::size_t>(peek(kFastBits))];
        if (entry == 0)
            return decodeLong(table);
        skip(entry >> 8);
        return entry & 0xFF;
    }
    // At an interval's end: aligns, and passes the restart marker there, if it is one.
    void restart();
    // Whether the data ended at a marker other than a restart: nothing more of this scan to read.
    bool dataEnded() const;
    // Whether the data ended at all, before the interval's end.
    bool atMarker() const { return pendingMarker_ >= 0 && bitCount_ < fillerBits_; }

private:
    int decodeLong(const HuffmanTable& table);
    bool refill();
    // Reads ahead whole bytes until more than 56 bits are held; past a marker, zero bytes.
    void fill();
    // The next `count` (at most 25) bits, not yet taken.
    int peek(int count) {
        if (bitCount_ < count)
            fill();
        return static_cast<int>(bitBuffer_ >> (bitCount_ - count)) & ((1 << count) - 1);
    }
    void skip(int count) { bitCount_ -= count; }

    QIODevice& device_;
    std::vector<char> buffer_;
    qint64 offset_;  // of the next chunk
    qint64 position_ = 0;
    qint64 end_ = 0;
    int pendingMarker_ = -1;       // met inside entropy-coded data
    std::uint64_t bitBuffer_ = 0;  // its last bitCount_ bits are the ones not yet taken
    int bitCount_ = 0;
    int fillerBits_ = 0;  // the zero bits read ahead past a marker, at the end of those
};

}  // namespace corkwallery
