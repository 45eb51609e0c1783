#include "decode/PhotoDecoder.h"

#include <QColorSpace>
#include <QFile>
#include <QImageReader>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>

#include "decode/DecodeBudget.h"
#include "decode/JpegDcDecoder.h"
#include "decode/LibraryDecoder.h"
#include "decode/PreviewCache.h"
#include "decode/ScaledWebp.h"
#include "platform/Files.h"

namespace corkwallery::PhotoDecoder {

namespace {

// How finely a pin's photo is decoded: room for the lifted photo (5% larger) and small
// enlargements, never the camera's resolution.
constexpr double kMargin = 1.25;

DecodeBudget& budget() {
    static DecodeBudget shared(kDecodeBudget);
    return shared;
}

using platform::Error;

// A file that is tried and fails: its "failed to load" line says all there is.
Error failed(Error::Kind kind = Error::Kind::Invalid) {
    return {kind, {}};
}

// The file as a device for the reader: only a regular file, opened without blocking, so a FIFO or
// a device never stalls the program. One that cannot be opened is no refusal of ours.
Result<std::unique_ptr<QFile>> open(const std::string& path) {
    auto file = platform::files::openRegularFile(path);
    if (!file && file.error().kind != Error::Kind::NotRegularFile)
        return Result<std::unique_ptr<QFile>>::failure(failed(Error::Kind::Io));
    return file;
}

// What the header tells: the stored (un-turned) pixel size, the EXIF turn, and the bytes per
// pixel of a whole decode (4 when the format does not say).
struct Header {
    QSize stored;
    QImageIOHandler::Transformations transformation;
    int bytesPerPixel = 4;
    QByteArray format;
    bool animated = false;
    QSize upright() const {
        return transformation.testFlag(QImageIOHandler::TransformationRotate90)
                   ? stored.transposed()
                   : stored;
    }
};

// Fails for an unreadable header or no area. A format that cannot tell its size without decoding
// gives an invalid stored size; Qt's allocation limit then guards the decode. SVG is never
// decoded: Qt's SVG reader follows <image> references to other files, which could be FIFOs,
// huge pictures or anything outside the folder.
Result<Header> readHeader(QImageReader& reader, const std::string& path) {
    if (!reader.canRead())
        return Result<Header>::failure(failed());
    const QByteArray format = reader.format().toLower();
    if (format == "svg" || format == "svgz")
        return Result<Header>::failure(Error::Kind::Invalid,
                                       path + ": SVG pictures are not decoded");
    const QSize stored = reader.size();
    if (stored.isValid() && stored.isEmpty())
        return Result<Header>::failure(failed());
    const int bits = QImage::toPixelFormat(reader.imageFormat()).bitsPerPixel();
    return Result<Header>::success({stored, reader.transformation(), bits > 0 ? (bits + 7) / 8 : 4,
                                    format, reader.supportsAnimation()});
}

double longerSideOf(QSizeF size) {
    return std::max(size.width(), size.height());
}

qint64 area(QSize size) {
    return static_cast<qint64>(size.width()) * size.height();
}

// How a picture is decoded, and the most that allocates.
struct Plan {
    enum class Way { Reader, JpegDc, Webp } way = Way::Reader;
    QSize scaled;  // in stored pixels; invalid for every pixel
    qint64 bytes = 0;
};

// `longerSide` is the size asked for, `leastSide` the least that will do (an eighth of a
// progressive JPEG does when it is that large).
Plan planFor(const Header& header, const std::optional<JpegFrame>& jpeg, qint64 fileBytes,
             int longerSide, int leastSide) {
    Plan plan;
    const QSize stored = header.stored;
    if (!stored.isValid())
        return plan;
    const double factor = longerSide > 0 ? longerSide / longerSideOf(stored) : 1;
    if (factor < 1)
        plan.scaled = QSize(std::max(1, static_cast<int>(std::lround(stored.width() * factor))),
                            std::max(1, static_cast<int>(std::lround(stored.height() * factor))));
    const qint64 output = area(plan.scaled.isValid() ? plan.scaled : stored) * 4;
    if (jpeg && jpeg->dcDecodable && leastSide > 0 && longerSideOf(jpeg->eighth()) >= leastSide) {
        plan.way = Plan::Way::JpegDc;
        plan.bytes = jpeg->dcDecodeBytes() + output;
    } else if (header.format == "webp" && !header.animated && plan.scaled.isValid()) {
        plan.way = Plan::Way::Webp;
        plan.bytes = fileBytes + output;
    } else if (jpeg) {
        // libjpeg scales by M/8 while it decodes; at most the power of two at or above it.
        const int denominator = factor <= 0.125 ? 8 : factor <= 0.25 ? 4 : factor <= 0.5 ? 2 : 1;
        const QSize decoded((stored.width() + denominator - 1) / denominator,
                            (stored.height() + denominator - 1) / denominator);
        plan.bytes =
            area(decoded) * 4 + output + (jpeg->progressive ? jpeg->coefficientBytes() : 0);
    } else {
        // Decoded whole; a format smoothScaled() cannot scale directly is copied to 32 bits first.
        const int converted = plan.scaled.isValid() && header.bytesPerPixel < 4 ? 4 : 0;
        plan.bytes = area(stored) * (header.bytesPerPixel + converted) + output;
    }
    return plan;
}

// Scaled smoothly to `size`, without the copy QImage::scaled() makes of a format it does not
// scale directly: the conversion runs in place wherever the depth stays.
QImage scaledDown(QImage image, QSize size) {
    const bool deep = image.depth() > 32;
    const bool alpha = image.hasAlphaChannel();
    image.convertTo(deep ? (alpha ? QImage::Format_RGBA64_Premultiplied : QImage::Format_RGBX64)
                         : (alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32));
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// As QImageReader's automatic transform does it: mirrored first, then turned clockwise.
QImage turned(QImage image, QImageIOHandler::Transformations transformation) {
    image = std::move(image).mirrored(transformation & QImageIOHandler::TransformationMirror,
                                      transformation & QImageIOHandler::TransformationFlip);
    if (transformation & QImageIOHandler::TransformationRotate90)
        image = image.transformed(QTransform().rotate(90));
    return image;
}

Photo reduced(Photo photo, int longerSide) {
    if (longerSide > 0 && longerSideOf(photo.pixels.size()) > longerSide)
        photo.pixels = photo.pixels.scaled(longerSide, longerSide, Qt::KeepAspectRatio,
                                           Qt::SmoothTransformation);
    return photo;
}

Error tooLarge(const std::string& path, QSize natural) {
    return {Error::Kind::TooLarge, path + ": too large to decode (" +
                                       std::to_string(natural.width()) + " x " +
                                       std::to_string(natural.height()) + " pixels)"};
}

// Shown as sRGB: the colours the file's profile states, not its raw numbers.
Photo shown(QImage pixels, QSize natural, int longerSide) {
    if (pixels.colorSpace().isValid() && pixels.colorSpace() != QColorSpace::SRgb)
        pixels.convertToColorSpace(QColorSpace::SRgb);
    return reduced(Photo{std::move(pixels), QSizeF(natural)}, longerSide);
}

// A picture Qt has no reader for, through its own library, upright and scaled as it decodes.
Result<Photo> decodeThrough(LibraryDecoder& decoder, const std::string& path, int longerSide,
                            int leastSide) {
    if (!decoder.readHeader())
        return Result<Photo>::failure(failed());
    const auto reservation = budget().reserve(decoder.decodeBytes(longerSide, leastSide));
    if (!reservation)
        return Result<Photo>::failure(tooLarge(path, decoder.size()));
    QImage pixels = decoder.decode(longerSide, leastSide);
    if (pixels.isNull())
        return Result<Photo>::failure(failed());
    return Result<Photo>::success(shown(std::move(pixels), decoder.size(), longerSide));
}

// At most about `longerSide` pixels on the longer side, and at least `leastSide`.
Result<Photo> decodeBetween(const std::string& path, int longerSide, int leastSide) {
    prepareDecoders();
    const auto opened = open(path);
    if (!opened)
        return Result<Photo>::failure(opened.error());
    QFile* file = opened.value().get();
    if (const auto library = LibraryDecoder::forFile(*file))
        return decodeThrough(*library, path, longerSide, leastSide);
    auto jpeg = JpegDcDecoder(*file).readFrame();
    if (!file->seek(0))
        return Result<Photo>::failure(failed(Error::Kind::Io));
    QImageReader reader(file);
    const auto read = readHeader(reader, path);
    if (!read)
        return Result<Photo>::failure(read.error());
    const Header& header = read.value();
    if (header.format != "jpeg")
        jpeg.reset();
    const Plan plan = planFor(header, jpeg, file->size(), longerSide, leastSide);
    const auto reservation = budget().reserve(plan.bytes);
    if (!reservation)
        return Result<Photo>::failure(tooLarge(path, header.upright()));
    // Scaled in stored pixels, then turned upright: the turn is left until the picture is small.
    QImage pixels;
    if (plan.way == Plan::Way::JpegDc) {
        JpegDcDecoder decoder(*file);
        if (file->seek(0) && decoder.readFrame())
            pixels = decoder.decodeEighth();
    } else if (plan.way == Plan::Way::Webp) {
        if (file->seek(0))
            pixels = ScaledWebp::decode(file->readAll(), plan.scaled);
    } else {
        const bool scaled = plan.scaled.isValid();
        if (scaled && reader.supportsOption(QImageIOHandler::ScaledSize))
            reader.setScaledSize(plan.scaled);  // a JPEG, through libjpeg's DCT scaling
        pixels = reader.read();
        if (scaled && !pixels.isNull() && pixels.size() != plan.scaled)
            pixels = scaledDown(std::move(pixels), plan.scaled);
    }
    if (pixels.isNull() || pixels.width() <= 0 || pixels.height() <= 0)
        return Result<Photo>::failure(failed());
    pixels = turned(std::move(pixels), header.transformation);
    const QSize natural = header.stored.isValid() ? header.upright() : pixels.size();
    return Result<Photo>::success(shown(std::move(pixels), natural, longerSide));
}

}  // namespace

void prepareDecoders() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Backstops behind the budget: Qt's limit on any one image it allocates, and libjpeg's
        // working memory, which it reads from JPEGMEM whenever it starts a decoder (past it the
        // decode fails). A JPEGMEM the user set is kept.
        QImageReader::setAllocationLimit(static_cast<int>(kDecodeBudget >> 20));
        if (!qEnvironmentVariableIsSet("JPEGMEM"))
            qputenv("JPEGMEM", QByteArray::number(kDecodeBudget >> 20) + "M");
    });
}

Result<QSize> naturalSize(const std::string& path) {
    prepareDecoders();
    const auto file = open(path);
    if (!file)
        return Result<QSize>::failure(file.error());
    if (const auto library = LibraryDecoder::forFile(*file.value())) {
        if (!library->readHeader())
            return Result<QSize>::failure(failed());
        return Result<QSize>::success(library->size());
    }
    QImageReader reader(file.value().get());
    reader.setAutoTransform(true);
    const auto header = readHeader(reader, path);
    if (!header)
        return Result<QSize>::failure(header.error());
    if (!header.value().stored.isValid())
        return Result<QSize>::failure(failed());
    return Result<QSize>::success(header.value().upright());
}

Result<Photo> decode(const std::string& path, int longerSide) {
    return decodeBetween(path, longerSide, longerSide);
}

QList<QByteArray> supportedMimeTypes() {
    QList<QByteArray> types = LibraryDecoder::mimeTypes();
    for (const QByteArray& type : QImageReader::supportedMimeTypes()) {
        if (!type.startsWith("image/svg") && !types.contains(type))
            types.append(type);
    }
    std::sort(types.begin(), types.end());
    return types;
}

int longerSideToDecode(QSizeF points, double scale) {
    return std::max(1, static_cast<int>(std::ceil(longerSideOf(points) * scale * kMargin)));
}

bool needsFinerImage(const Photo& photo, QSizeF points, double scale) {
    const double held = longerSideOf(photo.pixels.size());
    return held < longerSideOf(points) * scale && held < longerSideOf(photo.naturalSize);
}

Result<Photo> loadCopy(const std::string& copyPath, QSizeF points, double scale) {
    // The copy's header is read even when a preview will do: a copy that is gone or no longer
    // a picture is not loadable.
    const auto natural = naturalSize(copyPath);
    if (!natural)
        return Result<Photo>::failure(natural.error());
    const int needed = longerSideToDecode(points, scale);
    if (auto preview = PreviewCache::load(copyPath, natural.value(), needed))
        return Result<Photo>::success(std::move(*preview));
    const int previewSide = PreviewCache::previewSide(scale);
    const bool makePreview = !PreviewCache::hasFresh(copyPath);
    // The preview is made as large as a cheap decode gives, and never smaller than the pin needs.
    auto photo =
        decodeBetween(copyPath, makePreview ? std::max(needed, previewSide) : needed, needed);
    if (!photo)
        return photo;
    if (makePreview)
        PreviewCache::store(copyPath, photo.value(), previewSide);
    return Result<Photo>::success(reduced(std::move(photo).value(), needed));
}

}  // namespace corkwallery::PhotoDecoder
