#include "decode/PhotoDecoder.h"

#include <QColorSpace>
#include <QFile>
#include <QImageReader>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>

#include "decode/ColourProfile.h"
#include "decode/DecodeBudget.h"
#include "decode/JpegDcDecoder.h"
#include "decode/LibraryDecoder.h"
#include "decode/PictureHeader.h"
#include "decode/PreviewCache.h"
#include "decode/ScaledWebp.h"
#include "decode/TgaDecoder.h"
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

double longerSideOf(QSizeF size) {
    return std::max(size.width(), size.height());
}

qint64 area(QSize size) {
    return static_cast<qint64>(size.width()) * size.height();
}

// How a picture is decoded, and the most that allocates.
struct Plan {
    enum class Way { Reader, JpegDc, Webp, Tga } way = Way::Reader;
    QSize scaled;  // in stored pixels; invalid for every pixel
    qint64 bytes = 0;
};

// `longerSide` is the size asked for, `leastSide` the least that will do (an eighth of a
// progressive JPEG does when it is that large).
Plan planFor(const PictureHeader& header, const std::optional<JpegFrame>& jpeg, qint64 fileBytes,
             int longerSide, int leastSide) {
    Plan plan;
    const QSize stored = header.stored;
    if (!stored.isValid()) {
        // Nothing tells the size: the most Qt's reader may allocate for it.
        plan.bytes = qint64{QImageReader::allocationLimit()} << 20;
        return plan;
    }
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
    } else if (header.format == "tga") {
        plan.way = Plan::Way::Tga;
        plan.bytes = header.tgaBytes + area(stored) * 4 + output;
    } else if (jpeg) {
        // libjpeg scales by M/8 while it decodes; at most the power of two at or above it.
        const int denominator = factor <= 0.125 ? 8 : factor <= 0.25 ? 4 : factor <= 0.5 ? 2 : 1;
        const QSize decoded((stored.width() + denominator - 1) / denominator,
                            (stored.height() + denominator - 1) / denominator);
        plan.bytes =
            area(decoded) * 4 + output + (jpeg->progressive ? jpeg->coefficientBytes() : 0);
    } else {
        // Decoded whole; pixels of another depth are copied to 32 bits before their colours are
        // converted or they are scaled.
        const int converted = header.bytesPerPixel != 4 ? 4 : 0;
        plan.bytes = area(stored) * (header.bytesPerPixel + converted) + output;
    }
    return plan;
}

// The pixels as a pin shows them: in sRGB, 8 bits a channel, scaled smoothly to `size` when one
// is given. Colours are converted first, at the depth decoded, in place: scaling mixes the
// colours the file states, not its raw numbers. 16-bit pixels come to 8 bits before anything
// premultiplies or scales them, as Qt 6.4 squares their alpha doing either. A format
// QImage::scaled() cannot scale directly is copied to 32 bits first; the rest convert in place.
QImage shown(QImage image, QSize size) {
    const bool scaling = size.isValid() && image.size() != size;
    const bool deep = image.depth() > 32;
    const bool alpha = image.hasAlphaChannel();
    const bool converting = image.colorSpace().isValid() && image.colorSpace() != QColorSpace::SRgb;
    if (deep)
        image.convertTo(alpha ? QImage::Format_RGBA64 : QImage::Format_RGBX64);
    else if (scaling || (converting && image.depth() != 32 && image.colorCount() == 0))
        image.convertTo(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (converting)
        image.convertToColorSpace(QColorSpace::SRgb);
    if (deep || scaling)
        image.convertTo(alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (scaling)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
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

// The photo a decoder's pixels make, shown as a pin shows them and no larger than asked.
Photo photoOf(QImage pixels, QSize natural, int longerSide) {
    const bool unusableProfile = ColourProfile::isUnusable(pixels);
    return reduced(Photo{shown(std::move(pixels), QSize()), QSizeF(natural), unusableProfile},
                   longerSide);
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
    return Result<Photo>::success(photoOf(std::move(pixels), decoder.size(), longerSide));
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
    JpegDcDecoder markers(*file);
    auto jpeg = markers.readFrame();
    // Each scan may cost libjpeg a pass over the whole picture, however few bytes it has.
    if (const int scans = jpeg ? markers.countScans() : 0; scans > kMaxScans)
        return Result<Photo>::failure(Error::Kind::TooLarge, path + ": too many scans to decode (" +
                                                                 std::to_string(scans) + ")");
    if (!file->seek(0))
        return Result<Photo>::failure(failed(Error::Kind::Io));
    auto read = PictureHeader::read(*file, path);
    if (!read)
        return Result<Photo>::failure(read.error());
    PictureHeader& header = read.value();
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
    } else if (plan.way == Plan::Way::Tga) {
        const QByteArray bytes = file->seek(0) ? file->read(header.tgaBytes) : QByteArray();
        pixels = TgaDecoder(bytes, file->size()).decode(bytes);
    } else {
        QImageReader& reader = *header.reader;
        // A JPEG scales through libjpeg's DCT scaling. Other formats are read whole and scaled
        // here: Qt 6.4's PNG reader scales a 1-bit palette to noise and squares 16-bit alpha.
        if (plan.scaled.isValid() && jpeg && reader.supportsOption(QImageIOHandler::ScaledSize))
            reader.setScaledSize(plan.scaled);
        pixels = reader.read();
        // Qt takes a PNG gamma of about 1/2.2 for a pure power curve; it stands for sRGB.
        if (header.srgbGamma && !pixels.isNull())
            pixels.setColorSpace(QColorSpace::SRgb);
        // Qt's readers drop a profile they cannot use without a word.
        if (header.hasProfile && !pixels.isNull() && !pixels.colorSpace().isValid())
            ColourProfile::markUnusable(pixels);
    }
    if (pixels.isNull() || pixels.width() <= 0 || pixels.height() <= 0)
        return Result<Photo>::failure(failed());
    // Only the reader's pixels may be larger than planned; the others come at their size.
    const QSize size = plan.way == Plan::Way::Reader ? plan.scaled : QSize();
    const bool unusableProfile = ColourProfile::isUnusable(pixels);
    pixels = turned(shown(std::move(pixels), size), header.transformation);
    const QSize natural = header.stored.isValid() ? header.upright() : pixels.size();
    return Result<Photo>::success(
        reduced(Photo{std::move(pixels), QSizeF(natural), unusableProfile}, longerSide));
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
    const auto read = PictureHeader::read(*file.value(), path);
    if (!read)
        return Result<QSize>::failure(read.error());
    const PictureHeader& header = read.value();
    if (header.stored.isValid())
        return Result<QSize>::success(header.upright());
    // A format whose header gives no size (ICNS, MNG) tells it by decoding.
    const auto photo = decodeBetween(path, 0, 0);
    if (!photo)
        return Result<QSize>::failure(photo.error());
    return Result<QSize>::success(photo.value().pixels.size());
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
