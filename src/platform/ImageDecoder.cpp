#include "platform/ImageDecoder.h"

#include <stdlib.h>
#include <unistd.h>

#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>

#include "platform/FileSystem.h"
#include "platform/ImageImpl.h"
#include "platform/Log.h"

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

// The file as a device for the reader: only a regular file, opened without blocking, so a FIFO or
// a device never stalls the program. Reading from a device also keeps the reader from opening
// the path again under a format guessed from its name.
std::unique_ptr<QFile> openImageFile(const std::string& path) {
    const FileSystem::OpenedFile opened = FileSystem::openForReading(path);
    if (opened.fd < 0) {
        if (opened.notRegular)
            logLine("[Corkwallery]   Refused " + path + ": not a regular file");
        return nullptr;
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(opened.fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(opened.fd);
        return nullptr;
    }
    return file;
}

// SVG is never decoded: photos are raster pictures, and Qt's SVG reader follows <image>
// references to other files, which could be FIFOs, huge pictures or anything outside the folder.
bool isRefusedFormat(const QImageReader& reader, const std::string& path) {
    const QByteArray format = reader.format().toLower();
    if (format != "svg" && format != "svgz")
        return false;
    logLine("[Corkwallery]   Refused " + path + ": SVG pictures are not decoded");
    return true;
}

// The stored (un-turned) pixel size from the header, and whether EXIF turns it by 90 degrees.
struct Header {
    QSize stored;
    bool quarterTurn = false;
    QSize upright() const { return quarterTurn ? stored.transposed() : stored; }
};

// None for an unreadable header, no area or too many pixels. A format that cannot tell its size
// without decoding gives an invalid stored size; the allocation limit then guards the decode.
std::optional<Header> readHeader(QImageReader& reader, const std::string& path) {
    if (!reader.canRead() || isRefusedFormat(reader, path))
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
    const auto file = openImageFile(path);
    if (!file)
        return std::nullopt;
    QImageReader reader(file.get());
    reader.setAutoTransform(true);
    const auto header = readHeader(reader, path);
    if (!header || !header->stored.isValid())
        return std::nullopt;
    return toSize(header->upright());
}

std::optional<Image> ImageDecoder::decode(const std::string& path, int longerSide) {
    prepareDecoders();
    const auto file = openImageFile(path);
    if (!file)
        return std::nullopt;
    QImageReader reader(file.get());
    reader.setAutoTransform(true);
    const auto header = readHeader(reader, path);
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
