#pragma once

#include <QByteArray>
#include <array>
#include <optional>
#include <vector>

#include "decode/JpegBitReader.h"
#include "decode/JpegColourConverter.h"
#include "decode/JpegReducedBlock.h"

namespace corkwallery {

// What a JPEG's segments other than its frame and scan headers set: the Huffman and quantization
// tables, the restart interval, the markers that decide the colour space, and the ICC profile.
class JpegTables {
public:
    // False for a table segment that is broken; other segments are taken as they come.
    bool read(int marker, const JpegBitReader::Bytes& data);

    const std::optional<JpegBitReader::HuffmanTable>& dc(int id) const {
        return dcTables_[static_cast<std::size_t>(id)];
    }
    const std::optional<JpegBitReader::HuffmanTable>& ac(int id) const {
        return acTables_[static_cast<std::size_t>(id)];
    }
    const JpegReducedBlock::Quantization& quantization(int id) const {
        return quantTables_[static_cast<std::size_t>(id)];
    }
    int restartInterval() const { return restartInterval_; }
    JpegColourConverter::Space space(const JpegFrame& frame) const {
        return JpegColourConverter::spaceOf(frame, jfif_, adobeTransform_);
    }
    // The profile's pieces joined in their order; empty when there is none or one is missing.
    QByteArray iccProfile() const;

private:
    void readApplication(int marker, const JpegBitReader::Bytes& data);

    std::array<std::optional<JpegBitReader::HuffmanTable>, 4> dcTables_;
    std::array<std::optional<JpegBitReader::HuffmanTable>, 4> acTables_;
    std::array<JpegReducedBlock::Quantization, 4> quantTables_{};
    int restartInterval_ = 0;
    bool jfif_ = false;
    int adobeTransform_ = -1;            // none seen
    std::vector<QByteArray> iccChunks_;  // by sequence number, from 1
    qint64 iccBytes_ = 0;
};

}  // namespace corkwallery
