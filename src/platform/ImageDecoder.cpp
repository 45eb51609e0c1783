#include "platform/ImageDecoder.h"

#include <stdlib.h>

#include <QImageReader>
#include <algorithm>
#include <cmath>
#include <mutex>

#include "platform/ImageImpl.h"

namespace corkwallery::platform {

namespace {

// Qt's limit on any one image it allocates while decoding (process-wide).
constexpr int kAllocationLimitMegabytes = 256;
// libjpeg's own working memory sits outside Qt's limit: a large progressive JPEG buffers all of
// its coefficients. libjpeg reads JPEGMEM whenever it starts a decoder; past it the decode fails.
const char* const kJpegMemoryLimit = "256M";

void prepareDecoders() {
    static std::once_flag once;
    std::call_once(once, [] {
        QImageReader::setAllocationLimit(kAllocationLimitMegabytes);
        setenv("JPEGMEM", kJpegMemoryLimit, 0);  // a limit the user set is kept
    });
}

// The stored (un-turned) pixel size from the header, and whether EXIF turns it by 90 degrees.
struct Header {
    QSize stored;
    bool quarterTurn = false;
    QSize upright() const { return quarterTurn ? stored.transposed() : stored; }
};

// None for an unreadable header, no area or too many pixels. A format that cannot tell its size
// without decoding gives an invalid stored size; the allocation limit then guards the decode.
std::optional<Header> readHeader(QImageReader& reader) {
    if (!reader.canRead())
        return std::nullopt;
    Header header{reader.size()};
    if (header.stored.isValid()) {
        if (header.stored.isEmpty())
            return std::nullopt;
        const double pixels = static_cast<double>(header.stored.width()) * header.stored.height();
        if (pixels > ImageDecoder::kPixelCap)
            return std::nullopt;
    }
    header.quarterTurn = (reader.transformation() & QImageIOHandler::TransformationRotate90) != 0;
    return header;
}

Size toSize(QSize size) {
    return {static_cast<double>(size.width()), static_cast<double>(size.height())};
}

}  // namespace

std::optional<Size> ImageDecoder::naturalSize(const std::string& path) {
    prepareDecoders();
    QImageReader reader(QString::fromStdString(path));
    reader.setAutoTransform(true);
    const auto header = readHeader(reader);
    if (!header || !header->stored.isValid())
        return std::nullopt;
    return toSize(header->upright());
}

std::optional<Image> ImageDecoder::decode(const std::string& path, int longerSide) {
    prepareDecoders();
    QImageReader reader(QString::fromStdString(path));
    reader.setAutoTransform(true);
    const auto header = readHeader(reader);
    if (!header)
        return std::nullopt;
    const QSize stored = header->stored;
    if (longerSide > 0 && stored.isValid()) {
        // Scaling applies before the EXIF turn, so it is asked in stored coordinates; for a JPEG
        // it runs inside libjpeg's inverse DCT and skips most of the work.
        const double factor =
            static_cast<double>(longerSide) / std::max(stored.width(), stored.height());
        if (factor < 1)
            reader.setScaledSize(
                QSize(std::max(1, static_cast<int>(std::lround(stored.width() * factor))),
                      std::max(1, static_cast<int>(std::lround(stored.height() * factor)))));
    }
    QImage pixels = reader.read();
    if (pixels.isNull() || pixels.width() <= 0 || pixels.height() <= 0)
        return std::nullopt;
    const std::optional<Size> natural =
        stored.isValid() ? std::optional(toSize(header->upright())) : std::nullopt;
    return imageFromQImage(std::move(pixels), natural);
}

}  // namespace corkwallery::platform
