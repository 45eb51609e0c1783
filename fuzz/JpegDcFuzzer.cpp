#include <QBuffer>
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "decode/JpegDcDecoder.h"

// Any bytes: the frame reader and the DC decoder must neither crash nor read out of bounds, and a
// picture they make has the eighth's size. Frames whose eighth is huge are skipped for speed; the
// program reserves their memory before it decodes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    corkwallery::JpegDcDecoder decoder(device);
    const auto frame = decoder.readFrame();
    if (!frame || !frame->dcDecodable || frame->dcDecodeBytes() > (qint64{8} << 20))
        return 0;
    const QImage picture = decoder.decodeEighth();
    if (!picture.isNull() && picture.size() != frame->eighth())
        std::abort();
    return 0;
}
