#include <QBuffer>
#include <QByteArray>
#include <QColorSpace>
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "decode/ColourProfile.h"
#include "decode/EmbeddedMetadata.h"

// Any bytes, as an embedded ICC profile and as a file whose container is walked for its EXIF
// orientation and profile: nothing may crash or read out of bounds; a profile Qt takes converts
// a small picture of every depth to sRGB, and one it refuses leaves the pixels marked.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QImage::Format format :
         {QImage::Format_ARGB32, QImage::Format_RGBA64, QImage::Format_Indexed8}) {
        QImage picture(4, 3, format);
        if (format == QImage::Format_Indexed8)
            picture.setColorTable({qRgb(0, 255, 0), qRgb(12, 34, 56)});
        picture.fill(1);
        corkwallery::ColourProfile::tag(picture, bytes);
        if (picture.colorSpace().isValid())
            picture.convertToColorSpace(QColorSpace::SRgb);
        else if (!corkwallery::ColourProfile::isUnusable(picture) && !bytes.isEmpty())
            std::abort();
    }
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    const auto metadata = corkwallery::EmbeddedMetadata::read(device);
    if (metadata.orientation < 0 || metadata.orientation > 8)
        std::abort();
    return 0;
}
