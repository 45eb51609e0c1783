#pragma once

#include <QIODevice>
#include <QImage>
#include <cstdint>
#include <optional>
#include <vector>

#include "decode/JpegBitReader.h"
#include "decode/JpegColourConverter.h"
#include "decode/JpegFrame.h"
#include "decode/JpegReducedBlock.h"
#include "decode/JpegTables.h"

namespace corkwallery {

// Reads a JPEG's frame header, and decodes a progressive JPEG at an eighth of its size as libjpeg's
// own 1/8 scaling shows it: from the DC coefficients alone, but for components libjpeg scales up
// through a 2x2 DCT (4:2:0 chroma), whose few AC coefficients it needs are kept as well. Scans of
// the rest are skipped rather than decoded, and nothing near the size of the whole picture's
// coefficients is held (libjpeg keeps every one of them until the last scan). Damaged data gives
// grey blocks or a null image, never a read out of bounds.
class JpegDcDecoder {
public:
    explicit JpegDcDecoder(QIODevice& device) : in_(device) {}

    // Reads from the start of the file up to its frame header; none for what is no JPEG.
    std::optional<JpegFrame> readFrame();
    // After readFrame(): the scans from there to the end of the file, counted from their markers.
    int countScans();
    // After readFrame(), for a dcDecodable frame: the picture in RGB32, each side an eighth of
    // the stored one, rounded up, tagged with the file's colour profile. Null when the data has no
    // DC scan or its tables are broken.
    QImage decodeEighth();

private:
    using Bytes = JpegBitReader::Bytes;

    bool readFrameHeader(int marker, const Bytes& data);
    bool decodeScan(const Bytes& data, bool& dcScanned);
    template <typename Block>
    void forEachUnit(const std::vector<std::size_t>& members, const Block& block);
    std::optional<std::vector<JpegColourConverter::Plane>> planes() const;

    JpegBitReader in_;
    JpegFrame frame_;
    JpegTables tables_;
    std::optional<JpegColourConverter::Space> space_;  // as libjpeg decides it, at the first scan
    // Per component: its quantization, latched at its first scan; its DC coefficients and, when
    // scaled by 2, its reduced blocks, row by row of padded blocks.
    std::vector<std::optional<JpegReducedBlock::Quantization>> quant_;
    std::vector<int> predictor_;
    std::vector<std::vector<std::int16_t>> dc_;
    std::vector<std::vector<JpegReducedBlock>> reduced_;
    int endOfBands_ = 0;
};

}  // namespace corkwallery
