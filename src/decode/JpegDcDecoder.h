#pragma once

#include <QImage>
#include <QSize>
#include <QtGlobal>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "decode/JpegFrame.h"

class QIODevice;

namespace corkwallery {

// Reads a JPEG's frame header, and decodes a progressive JPEG at an eighth of its size from its DC
// coefficients alone: the first scans hold them, so the later scans are skipped rather than
// decoded, and nothing the size of the whole picture is ever held (libjpeg keeps every
// coefficient of a progressive JPEG until its last scan). An eighth is what libjpeg's own 1/8
// scaling shows too. Damaged data gives grey blocks or a null image, never a read out of bounds.
class JpegDcDecoder {
public:
    explicit JpegDcDecoder(QIODevice& device);

    // Reads from the start of the file up to its frame header; none for what is no JPEG.
    std::optional<JpegFrame> readFrame();
    // After readFrame(), for a dcDecodable frame: the picture in RGB32, each side an eighth of
    // the stored one, rounded up. Null when the data has no DC scan or its tables are broken.
    QImage decodeEighth();

private:
    struct HuffmanTable {
        std::array<int, 17> maxCode{};  // per code length; -1 when none has it
        std::array<int, 17> offset{};   // from a code of that length to its value's index
        std::vector<std::uint8_t> values;
    };
    using Bytes = std::vector<std::uint8_t>;

    bool refill();
    int byte();
    int nextMarker();
    std::optional<Bytes> segment();
    bool readTables(int marker, const Bytes& data);
    bool readFrameHeader(int marker, const Bytes& data);
    bool decodeScan(const Bytes& data, bool& dcScanned);
    void restart();
    int bit();
    int bits(int count);
    int decodeSymbol(const HuffmanTable& table);
    QImage render() const;

    QIODevice& device_;
    std::vector<char> buffer_;
    qint64 position_ = 0;
    qint64 end_ = 0;
    int pendingMarker_ = -1;  // met inside entropy-coded data
    std::uint32_t bitBuffer_ = 0;
    int bitCount_ = 0;
    JpegFrame frame_;
    int adobeTransform_ = -1;  // none seen
    bool rgb_ = false;         // three components stored as RGB, not YCbCr
    int restartInterval_ = 0;
    std::array<std::optional<HuffmanTable>, 4> dcTables_;
    std::array<int, 4> dcQuant_{};  // the DC entry of each quantization table
    std::vector<int> quant_;        // per component, latched at its first DC scan
    std::vector<int> predictor_;
    std::vector<std::vector<std::int16_t>> dc_;  // per component, row by row of padded blocks
};

}  // namespace corkwallery
