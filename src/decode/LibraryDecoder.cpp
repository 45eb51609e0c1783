#include "decode/LibraryDecoder.h"

#include <QIODevice>
#include <algorithm>
#include <cmath>

#include "decode/HeifDecoder.h"
#include "decode/JpegXlDecoder.h"

namespace corkwallery {

namespace {

// Enough of the start for either library to tell its format (an ISO file's "ftyp" box with its
// brands, a JPEG XL signature).
constexpr qint64 kSniffBytes = 64;

}  // namespace

std::unique_ptr<LibraryDecoder> LibraryDecoder::forFile(QIODevice& file) {
    if (!file.seek(0))
        return nullptr;
    const QByteArray start = file.read(kSniffBytes);
    file.seek(0);
    if (HeifDecoder::recognises(start))
        return std::make_unique<HeifDecoder>(file);
    if (JpegXlDecoder::recognises(start))
        return std::make_unique<JpegXlDecoder>(file);
    return nullptr;
}

QList<QByteArray> LibraryDecoder::mimeTypes() {
    return {"image/avif", "image/heic", "image/heif", "image/jxl"};
}

QSize LibraryDecoder::fitted(QSize size, int longerSide) {
    const int longer = std::max(size.width(), size.height());
    if (longerSide <= 0 || longer <= longerSide)
        return size;
    const double factor = static_cast<double>(longerSide) / longer;
    return {std::max(1, static_cast<int>(std::lround(size.width() * factor))),
            std::max(1, static_cast<int>(std::lround(size.height() * factor)))};
}

QImage LibraryDecoder::reduced(QImage image, int longerSide) {
    const QSize size = fitted(image.size(), longerSide);
    if (image.isNull() || size == image.size())
        return image;
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace corkwallery
