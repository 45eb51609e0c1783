#pragma once

#include <QByteArray>

#include "decode/LibraryDecoder.h"

namespace corkwallery {

// JPEG XL through libjxl: the first frame of an animation, turned as the codestream's
// orientation says, in the colour space of the decoded pixels (sRGB where libjxl may choose).
class JpegXlDecoder final : public LibraryDecoder {
public:
    explicit JpegXlDecoder(QIODevice& file) : file_(file) {}

    // Whether `start`, the file's first bytes, begins a JPEG XL codestream or container.
    static bool recognises(const QByteArray& start);

    bool readHeader() override;
    QSize size() const override { return upright_; }
    qint64 decodeBytes(int longerSide, int leastSide) const override;
    QImage decode(int longerSide, int leastSide) override;

private:
    QIODevice& file_;
    QSize upright_;
};

}  // namespace corkwallery
