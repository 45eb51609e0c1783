#pragma once

#include <QIODevice>
#include <QImage>
#include <cstdint>
#include <memory>
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
// through a 2x2 DCT (4:2:0 chroma), whose few AC coefficients it needs are kept as well. The scans
// it needs are read side by side, each where it lies in the file, one row of MCUs at a time, so
// only that row's coefficients are ever held (libjpeg keeps every one of the picture's until the
// last scan); the other scans are never read. Damaged data gives grey blocks or a null image,
// never a read out of bounds.
class JpegDcDecoder {
public:
    explicit JpegDcDecoder(QIODevice& device) : device_(device), in_(device) {}

    // Reads from the start of the file up to its frame header; none for what is no JPEG.
    std::optional<JpegFrame> readFrame();
    // After readFrame(): the scans from there to the end of the file, counted from their markers.
    // Of a dcDecodable frame, notes where each scan the eighth needs starts, and its tables.
    int countScans();
    // After readFrame(), for a dcDecodable frame: the picture in RGB32, each side an eighth of
    // the stored one, rounded up, tagged with the file's colour profile. Null when the data has no
    // DC scan, its tables are broken, or it has more than kMostScansRead scans to read.
    QImage decodeEighth();

private:
    using Bytes = JpegBitReader::Bytes;

    // A scan the eighth reads: what its header says, the tables and restart interval then in
    // force, and while it is read, where it stands.
    struct Scan {
        qint64 offset = 0;  // of its entropy-coded data
        std::vector<std::size_t> members;
        std::vector<JpegBitReader::HuffmanTable> tables;  // per member; one AC table
        int start = 0, end = 0, low = 0;  // the band of coefficients, and its lowest bit
        bool refining = false;
        int restartInterval = 0;
        std::unique_ptr<JpegBitReader> in;
        std::vector<int> predictor;  // per member
        int endOfBands = 0;
        qint64 unit = 0;
        bool ended = false;
    };
    // One component's blocks in the row of MCUs being decoded, padded: DC coefficients and, when
    // scaled by 2, reduced blocks.
    struct Row {
        int stride = 0;
        int first = 0;  // the component's block row at its top
        std::vector<std::int16_t> dc;
        std::vector<JpegReducedBlock> reduced;
    };

    bool readFrameHeader(int marker, const Bytes& data);
    bool noteScan(const Bytes& data);
    void readRow(Scan& scan, int mcuRow);
    template <typename Block>
    void forEachBlock(Scan& scan, int mcuRow, const Block& block);
    void fillPlanes(std::vector<JpegColourConverter::Plane>& planes) const;

    QIODevice& device_;
    JpegBitReader in_;
    JpegFrame frame_;
    JpegTables tables_;
    std::optional<JpegColourConverter::Space> space_;  // as libjpeg decides it, at the first scan
    // Per component: its quantization, latched at its first scan.
    std::vector<std::optional<JpegReducedBlock::Quantization>> quant_;
    std::vector<Scan> scans_;
    std::vector<Row> rows_;
    bool counted_ = false;
    bool broken_ = false;
    bool dcScanned_ = false;
};

}  // namespace corkwallery
