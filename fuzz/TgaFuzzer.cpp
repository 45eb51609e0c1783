#include <QByteArrayView>
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "decode/TgaDecoder.h"

// Any bytes as a TGA: nothing may crash or read out of bounds, whatever the header claims; a
// picture comes at the size its header states.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const corkwallery::TgaDecoder tga(bytes, bytes.size());
    // Headers may state 65535 x 65535 pixels; PhotoDecoder's budget refuses those before decoding.
    if (!tga.isValid() || qint64{tga.size().width()} * tga.size().height() > (1 << 22))
        return 0;
    if (tga.mostBytesRead() > bytes.size())
        std::abort();
    const QImage image = tga.decode(bytes.first(tga.mostBytesRead()));
    if (!image.isNull() && image.size() != tga.size())
        std::abort();
    return 0;
}
