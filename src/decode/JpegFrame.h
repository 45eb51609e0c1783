#pragma once

#include <QSize>
#include <QtGlobal>
#include <vector>

namespace corkwallery {

// What a JPEG's frame header says: enough to tell how it can be decoded and what that costs.
struct JpegFrame {
    // The most scans JpegDcDecoder reads for an eighth; a file with more gives none.
    static constexpr int kMostScansRead = 128;

    struct Component {
        int id = 0;
        int h = 1;  // sampling factors
        int v = 1;
        int quantTable = 0;
    };

    QSize size;  // as stored, before any EXIF turn
    bool progressive = false;
    // Progressive, Huffman-coded, 8-bit, grey or three colours, no component scaled past 2.
    bool dcDecodable = false;
    std::vector<Component> components;

    QSize maxSampling() const;
    // The blocks of one component, padded to whole units of the largest sampling factors.
    QSize paddedBlocks(const Component& c) const;
    // What libjpeg holds for a progressive JPEG's coefficients, in bytes.
    qint64 coefficientBytes() const;
    QSize eighth() const;
    // Pixels per block side that libjpeg gives a component at an eighth: it scales a component
    // sampled more coarsely up through its inverse DCT (by 2 for 4:2:0 chroma) rather than after.
    int eighthScale(const Component& c) const;
    // What JpegDcDecoder allocates to decode it at an eighth, in bytes: the picture, one row of
    // MCUs' coefficients and samples, and a reader per scan.
    qint64 dcDecodeBytes() const;
};

}  // namespace corkwallery
