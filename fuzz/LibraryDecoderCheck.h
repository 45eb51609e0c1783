#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColorSpace>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "decode/LibraryDecoder.h"

// Any bytes through one library's decoder, as PhotoDecoder drives it: the header, the reservation
// (pictures that would need more than a fuzzing run's memory are skipped, as the budget refuses
// them), the decode at a pin's size, and the conversion from the colour space the file states.
// Nothing may crash or read out of bounds, and a picture made is no larger than asked.
template <typename Decoder>
int checkLibraryDecoder(const std::uint8_t* data, std::size_t size) {
    constexpr int kLongerSide = 160;
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    Decoder decoder(device);
    if (!decoder.readHeader() ||
        decoder.decodeBytes(kLongerSide, kLongerSide) > (qint64{256} << 20))
        return 0;
    QImage picture = decoder.decode(kLongerSide, kLongerSide);
    if (picture.isNull())
        return 0;
    if (std::max(picture.width(), picture.height()) > kLongerSide)
        std::abort();
    if (picture.colorSpace().isValid())
        picture.convertToColorSpace(QColorSpace::SRgb);
    return 0;
}
