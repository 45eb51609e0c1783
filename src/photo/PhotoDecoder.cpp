#include "photo/PhotoDecoder.h"

#include <stdlib.h>

#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>

#include "photo/PreviewCache.h"
#include "platform/Files.h"

namespace corkwallery::PhotoDecoder {

namespace {

// How finely a pin's photo is decoded: room for the lifted photo (5% larger) and small
// enlargements, never the camera's resolution.
constexpr double kMargin = 1.25;
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

void refuse(Refusal* refusal, Refusal::Kind kind, std::string reason = {}) {
    if (refusal == nullptr)
        return;
    refusal->kind = kind;
    refusal->reason = std::move(reason);
}

// The file as a device for the reader: only a regular file, opened without blocking, so a FIFO or
// a device never stalls the program.
std::unique_ptr<QFile> open(const std::string& path, Refusal* refusal) {
    std::string error;
    auto file = platform::files::openRegularFile(path, &error);
    if (!file && platform::files::isNotRegularFileError(error))
        refuse(refusal, Refusal::Kind::NotAPicture, path + ": not a regular file");
    else if (!file)
        refuse(refusal, Refusal::Kind::Unreadable);
    return file;
}

// The stored (un-turned) pixel size from the header, and whether EXIF turns it by 90 degrees.
struct Header {
    QSize stored;
    bool quarterTurn = false;
    QSize upright() const { return quarterTurn ? stored.transposed() : stored; }
};

// None for an unreadable header, no area or too many pixels. A format that cannot tell its size
// without decoding gives an invalid stored size; the allocation limit then guards the decode.
// SVG is never decoded: Qt's SVG reader follows <image> references to other files, which could be
// FIFOs, huge pictures or anything outside the folder.
std::optional<Header> readHeader(QImageReader& reader, const std::string& path, Refusal* refusal) {
    if (!reader.canRead())
        return std::nullopt;
    const QByteArray format = reader.format().toLower();
    if (format == "svg" || format == "svgz") {
        refuse(refusal, Refusal::Kind::NotAPicture, path + ": SVG pictures are not decoded");
        return std::nullopt;
    }
    Header header{reader.size()};
    if (header.stored.isValid()) {
        const double pixels = static_cast<double>(header.stored.width()) * header.stored.height();
        if (pixels > kPixelCap)
            refuse(refusal, Refusal::Kind::TooLarge);
        if (header.stored.isEmpty() || pixels > kPixelCap)
            return std::nullopt;
    }
    header.quarterTurn = (reader.transformation() & QImageIOHandler::TransformationRotate90) != 0;
    return header;
}

double longerSideOf(QSizeF size) {
    return std::max(size.width(), size.height());
}

Photo reduced(Photo photo, int longerSide) {
    if (longerSide > 0 && longerSideOf(photo.pixels.size()) > longerSide)
        photo.pixels = photo.pixels.scaled(longerSide, longerSide, Qt::KeepAspectRatio,
                                           Qt::SmoothTransformation);
    return photo;
}

}  // namespace

std::optional<QSize> naturalSize(const std::string& path, Refusal* refusal) {
    prepareDecoders();
    const auto file = open(path, refusal);
    if (!file)
        return std::nullopt;
    QImageReader reader(file.get());
    reader.setAutoTransform(true);
    const auto header = readHeader(reader, path, refusal);
    if (!header || !header->stored.isValid())
        return std::nullopt;
    return header->upright();
}

std::optional<Photo> decode(const std::string& path, int longerSide, Refusal* refusal) {
    prepareDecoders();
    const auto file = open(path, refusal);
    if (!file)
        return std::nullopt;
    QImageReader reader(file.get());
    reader.setAutoTransform(true);
    const auto header = readHeader(reader, path, refusal);
    if (!header)
        return std::nullopt;
    const QSize stored = header->stored;
    if (longerSide > 0 && stored.isValid()) {
        // Scaling applies before the EXIF turn, so it is asked in stored coordinates; for a JPEG
        // it runs inside libjpeg's inverse DCT and skips most of the work.
        const double factor = longerSide / longerSideOf(stored);
        if (factor < 1)
            reader.setScaledSize(
                QSize(std::max(1, static_cast<int>(std::lround(stored.width() * factor))),
                      std::max(1, static_cast<int>(std::lround(stored.height() * factor)))));
    }
    QImage pixels = reader.read();
    if (pixels.isNull() || pixels.width() <= 0 || pixels.height() <= 0)
        return std::nullopt;
    const QSize natural = stored.isValid() ? header->upright() : pixels.size();
    return Photo{std::move(pixels), QSizeF(natural)};
}

int longerSideToDecode(QSizeF points, double scale) {
    return std::max(1, static_cast<int>(std::ceil(longerSideOf(points) * scale * kMargin)));
}

bool needsFinerImage(const Photo& photo, QSizeF points, double scale) {
    const double held = longerSideOf(photo.pixels.size());
    return held < longerSideOf(points) * scale && held < longerSideOf(photo.naturalSize);
}

std::optional<Photo> loadCopy(const std::string& copyPath, QSizeF points, double scale,
                              Refusal* refusal) {
    // The copy's header is read even when a preview will do: a copy that is gone or no longer
    // a picture is not loadable.
    const auto natural = naturalSize(copyPath, refusal);
    if (!natural)
        return std::nullopt;
    const int needed = longerSideToDecode(points, scale);
    if (auto preview = PreviewCache::load(copyPath, *natural, needed))
        return preview;
    const int previewSide = PreviewCache::previewSide(scale);
    const bool makePreview = !PreviewCache::hasFresh(copyPath);
    auto photo = decode(copyPath, makePreview ? std::max(needed, previewSide) : needed, refusal);
    if (!photo)
        return std::nullopt;
    if (makePreview)
        PreviewCache::store(copyPath, *photo, previewSide);
    return reduced(std::move(*photo), needed);
}

}  // namespace corkwallery::PhotoDecoder
