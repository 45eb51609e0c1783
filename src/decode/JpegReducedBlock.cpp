#include "decode/JpegReducedBlock.h"

#include <algorithm>
#include <bit>

namespace corkwallery {

namespace {

// The 2x2 inverse DCT reads rows and columns 0, 1, 3, 5 and 7; the weights of the odd ones (its
// constants in 13-bit fixed point).
constexpr std::array<long long, 4> kOddWeight = {29692, -10426, 6967, -5906};

// The index in kept_ of a row and column's coefficient; -1 for one the DCT does not read.
constexpr int slot(int row, int column) {
    const auto index = [](int i) { return i == 0 ? 0 : i % 2 == 1 ? (i + 1) / 2 : -1; };
    const int r = index(row), c = index(column);
    return r < 0 || c < 0 || (r == 0 && c == 0) ? -1 : r * 5 + c - 1;
}

constexpr std::array<int, 64> kSlotOfZigzag = [] {
    std::array<int, 64> slots{};
    for (int k = 0; k < 64; ++k)
        slots[static_cast<std::size_t>(k)] =
            slot(JpegReducedBlock::kNatural[static_cast<std::size_t>(k)] / 8,
                 JpegReducedBlock::kNatural[static_cast<std::size_t>(k)] % 8);
    return slots;
}();

// The coefficients kept, as a mask of zigzag bits.
constexpr std::uint64_t kKept = [] {
    std::uint64_t mask = 0;
    for (std::size_t k = 0; k < 64; ++k)
        mask |= kSlotOfZigzag[k] >= 0 ? std::uint64_t{1} << k : 0;
    return mask;
}();

// Coefficients k from `start` to `end`, as a mask of zigzag bits.
std::uint64_t band(int start, int end) {
    const std::uint64_t upToEnd =
        end >= 63 ? ~std::uint64_t{0} : (std::uint64_t{1} << (end + 1)) - 1;
    return upToEnd & ~((std::uint64_t{1} << start) - 1);
}

}  // namespace

void JpegReducedBlock::decode(JpegBitReader& in, const JpegBitReader::HuffmanTable& table,
                              int start, int end, int low, bool refining, int& endOfBands) {
    if (refining)
        refine(in, table, start, end, low, endOfBands);
    else
        decodeFirst(in, table, start, end, low, endOfBands);
}

void JpegReducedBlock::set(int k, int value) {
    k = std::min(k, 63);
    nonzero_ |= std::uint64_t{1} << k;
    if (const int s = kSlotOfZigzag[static_cast<std::size_t>(k)]; s >= 0)
        kept_[static_cast<std::size_t>(s)] = static_cast<std::int16_t>(value);
}

// A correction bit for a coefficient already nonzero: adds `bit` away from zero, unless set.
void JpegReducedBlock::correct(JpegBitReader& in, int k, int bit) {
    if (in.bit() == 0)
        return;
    if (const int s = kSlotOfZigzag[static_cast<std::size_t>(k)]; s >= 0) {
        std::int16_t& value = kept_[static_cast<std::size_t>(s)];
        if ((value & bit) == 0)
            value = static_cast<std::int16_t>(value >= 0 ? value + bit : value - bit);
    }
}

void JpegReducedBlock::decodeFirst(JpegBitReader& in, const JpegBitReader::HuffmanTable& table,
                                   int start, int end, int low, int& endOfBands) {
    if (endOfBands > 0) {
        --endOfBands;
        return;
    }
    for (int k = start; k <= end; ++k) {
        const int symbol = in.decode(table);
        const int run = symbol >> 4, size = symbol & 15;
        if (size != 0) {
            k += run;
            set(k, in.signedBits(size) * (1 << low));
        } else if (run == 15) {
            k += 15;
        } else {
            endOfBands = (1 << run) + in.bits(run) - 1;  // this block is the run's first
            return;
        }
    }
}

// Each new coefficient is ±1 at bit `low`, placed after `run` zero ones; every nonzero one passed
// on the way, or in an end-of-band, takes a correction bit.
void JpegReducedBlock::refine(JpegBitReader& in, const JpegBitReader::HuffmanTable& table,
                              int start, int end, int low, int& endOfBands) {
    const int bit = 1 << low;
    int k = start;
    if (endOfBands == 0) {
        for (; k <= end; ++k) {
            const int symbol = in.decode(table);
            int run = symbol >> 4;
            int value = 0;
            if ((symbol & 15) != 0) {
                value = in.bit() != 0 ? bit : -bit;
            } else if (run != 15) {
                endOfBands = (1 << run) + in.bits(run);
                break;
            }
            for (; k <= end; ++k) {
                if ((nonzero_ >> k & 1) != 0)
                    correct(in, k, bit);
                else if (--run < 0)
                    break;
            }
            if (value != 0 && k <= end)
                set(k, value);
        }
    }
    if (endOfBands > 0) {
        for (std::uint64_t left = nonzero_ & band(std::min(k, 63), end); left != 0;
             left &= left - 1)
            correct(in, std::countr_zero(left), bit);
        --endOfBands;
    }
}

std::array<std::uint8_t, 4> JpegReducedBlock::samples(std::int16_t dc,
                                                      const Quantization& quantization) const {
    const auto pixel = [](long long value) {
        return static_cast<std::uint8_t>(
            std::clamp<long long>(((value + (1 << 19)) >> 20) + 128, 0, 255));
    };
    // Dequantized, by the row and column read (row * 5 + column), as slots are numbered but for DC.
    std::array<long long, 25> z{};
    z[0] = static_cast<long long>(dc) * quantization[0];
    const std::uint64_t kept = nonzero_ & kKept;
    if (kept == 0) {
        const std::uint8_t flat = pixel(z[0] << 17);
        return {flat, flat, flat, flat};
    }
    for (std::uint64_t left = kept; left != 0; left &= left - 1) {
        const auto k = static_cast<std::size_t>(std::countr_zero(left));
        const auto s = static_cast<std::size_t>(kSlotOfZigzag[k]);
        z[s + 1] =
            static_cast<long long>(kept_[s]) * quantization[static_cast<std::size_t>(kNatural[k])];
    }
    // Columns first, into 2 rows kept with 2 more bits; then each row into 2 pixels.
    std::array<std::array<long long, 5>, 2> rows{};
    for (std::size_t c = 0; c < 5; ++c) {
        long long odd = 0;
        for (std::size_t i = 0; i < 4; ++i)
            odd += kOddWeight[i] * z[(i + 1) * 5 + c];
        const long long even = z[c] * (1 << 15);
        rows[0][c] = (even + odd + (1 << 12)) >> 13;
        rows[1][c] = (even - odd + (1 << 12)) >> 13;
    }
    std::array<std::uint8_t, 4> pixels{};
    for (std::size_t r = 0; r < 2; ++r) {
        long long odd = 0;
        for (std::size_t i = 0; i < 4; ++i)
            odd += kOddWeight[i] * rows[r][i + 1];
        const long long even = rows[r][0] * (1 << 15);
        pixels[2 * r] = pixel(even + odd);
        pixels[2 * r + 1] = pixel(even - odd);
    }
    return pixels;
}

}  // namespace corkwallery
