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
// by bit and symbol by symbol. Reads the device in chunks; a read past the end is never made.
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

    explicit JpegBitReader(QIODevice& device);

    // -1 at the end of the file.
    int byte();
    // Skips entropy-coded data and fill bytes up to the next marker.
    int nextMarker();
    // The segment after a marker, without its length.
    std::optional<Bytes> segment();

    // Entropy-coded data: 0xFF 0x00 stands for 0xFF, and any other marker ends the data (it is
    // kept for nextMarker()); past it every bit reads as 0.
    int bit();
    int bits(int count);
    // A value of `size` bits, as JPEG codes differences and coefficients.
    int signedBits(int size);
    // A code no table has reads as 0.
    int decode(const HuffmanTable& table);
    // Forgets the bits read ahead, as each scan starts on a byte of its own.
    void alignToByte() { bitCount_ = fillerBits_ = 0; }
    // At an interval's end: aligns, and passes the restart marker there, if it is one.
    void restart();
    // Whether the data ended at a marker other than a restart: nothing more of this scan to read.
    bool dataEnded() const;
    // Whether the data ended at all, before the interval's end.
    bool atMarker() const { return pendingMarker_ >= 0 && bitCount_ < fillerBits_; }

private:
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
    qint64 position_ = 0;
    qint64 end_ = 0;
    int pendingMarker_ = -1;       // met inside entropy-coded data
    std::uint64_t bitBuffer_ = 0;  // its last bitCount_ bits are the ones not yet taken
    int bitCount_ = 0;
    int fillerBits_ = 0;  // the zero bits read ahead past a marker, at the end of those
};

}  // namespace corkwallery
