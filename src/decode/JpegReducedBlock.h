#pragma once

#include <array>
#include <cstdint>

#include "decode/JpegBitReader.h"

namespace corkwallery {

// One block of a component that libjpeg shows at an eighth with its 2x2 inverse DCT rather than
// its 1x1 (a chroma component sampled at half the luma's rate both ways, as 4:2:0 and 4:1:0 have
// it): two pixels each way, each the mean of a quarter of the block. That DCT reads the AC
// coefficients in odd rows and columns of the first row and column only, so just those 24 are
// kept, with which of all 63 are nonzero, as refining them needs.
class JpegReducedBlock {
public:
    using Quantization = std::array<std::uint16_t, 64>;  // in natural order

    // Where the coefficient k of the zigzag order, as they are stored, lies in the block.
    static constexpr std::array<int, 64> kNatural = {
        0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
        41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
        30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

    // This block's part of a progressive AC scan over coefficients `start` to `end` (in zigzag
    // order): their bits from `low` up, or when `refining`, bit `low` alone. `endOfBands` counts
    // the blocks left that an earlier one's end-of-band code covers.
    void decode(JpegBitReader& in, const JpegBitReader::HuffmanTable& table, int start, int end,
                int low, bool refining, int& endOfBands);
    // The 2x2 pixels, row by row, as libjpeg's reduced inverse DCT computes them.
    std::array<std::uint8_t, 4> samples(std::int16_t dc, const Quantization& quantization) const;

private:
    void decodeFirst(JpegBitReader& in, const JpegBitReader::HuffmanTable& table, int start,
                     int end, int low, int& endOfBands);
    void refine(JpegBitReader& in, const JpegBitReader::HuffmanTable& table, int start, int end,
                int low, int& endOfBands);
    void set(int k, int value);
    void correct(JpegBitReader& in, int k, int bit);

    std::uint64_t nonzero_ = 0;  // bit k for the coefficient k in zigzag order
    std::array<std::int16_t, 24> kept_{};
};

}  // namespace corkwallery
