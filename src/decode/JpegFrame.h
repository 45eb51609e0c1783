#pragma once

#include <QSize>
#include <QtGlobal>
#include <vector>

namespace corkwallery {

// What a JPEG's frame header says: enough to tell how it can be decoded and what that costs.
struct JpegFrame {
    struct Component {
        int id = 0;
        int h = 1;  // sampling factors
        int v = 1;
        int quantTable = 0;
    };

    QSize size;  // as stored, before any EXIF turn
    bool progressive = false;
    bool dcDecodable = false;  // progressive, Huffman-coded, 8-bit, grey or three colours
    std::vector<Component> components;

    QSize maxSampling() const;
    // The blocks of one component, padded to whole units of the largest sampling factors.
    QSize paddedBlocks(const Component& c) const;
    // What libjpeg holds for a progressive JPEG's coefficients, in bytes.
    qint64 coefficientBytes() const;
    QSize eighth() const;
    // What JpegDcDecoder allocates to decode it at an eighth, in bytes.
    qint64 dcDecodeBytes() const;
};

}  // namespace corkwallery
