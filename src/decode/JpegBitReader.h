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

        // From a table's 16 code counts and its values; none for counts no prefix code can have.
        static std::optional<HuffmanTable> build(std::span<const std::uint8_t, 16> counts,
                                                 std::span<const std::uint8_t> values);
    };
    using Bytes = std::vector<std::uint8_t>;

    static constexpr int kEndOfImage = 0xD9;  // also what the end of the file reads as

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
    // Forgets the bits left of the last byte, as each scan and interval starts on a byte.
    void alignToByte() { bitCount_ = 0; }
    // At an interval's end: aligns, and passes the restart marker there, if it is one.
    void restart();
    // Whether the data ended at a marker other than a restart: nothing more of this scan to read.
    bool dataEnded() const;
    // Whether the data ended at all, before the interval's end.
    bool atMarker() const { return pendingMarker_ >= 0; }

private:
    bool refill();

    QIODevice& device_;
    std::vector<char> buffer_;
    qint64 position_ = 0;
    qint64 end_ = 0;
    int pendingMarker_ = -1;  // met inside entropy-coded data
    std::uint32_t bitBuffer_ = 0;
    int bitCount_ = 0;
};

}  // namespace corkwallery
