#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

#include "decode/JpegFrame.h"

namespace corkwallery {

// Turns a JPEG's components, decoded at an eighth, into RGB pixels as libjpeg does at that scale:
// each component's samples repeated over the pixels they cover (libjpeg smooths only at larger
// scales), then converted from the colour space libjpeg would decide on. One row of MCUs at a
// time.
class JpegColourConverter {
public:
    enum class Space { Grey, YCbCr, Rgb };

    // One component's samples over one row of MCUs, row by row: per block, 1 or, for a component
    // libjpeg reduces with its 2x2 DCT, 2 x 2.
    struct Plane {
        int width = 0;
        int height = 0;
        std::vector<std::uint8_t> samples;
    };

    // libjpeg's rule: a JFIF marker means YCbCr; else an Adobe marker's transform (0 RGB, any
    // other YCbCr); else component ids 'R', 'G', 'B' mean RGB; anything else YCbCr.
    static Space spaceOf(const JpegFrame& frame, bool jfif, int adobeTransform);

    JpegColourConverter(const JpegFrame& frame, Space space);

    // Writes the rows of `image` (the eighth's size, RGB32) that the row of MCUs starting at
    // `firstRow` covers, from that row's planes.
    void convert(const std::vector<Plane>& planes, QImage& image, int firstRow) const;

private:
    Space space_;
    int rowsPerMcu_;
    std::vector<int> rowStep_;               // per component: sample rows per MCU's pixel rows
    std::vector<std::vector<int>> columns_;  // per component: the sample each column shows
};

}  // namespace corkwallery
