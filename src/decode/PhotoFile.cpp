#include "decode/PhotoFile.h"

#include <QColorSpace>
#include <QFile>
#include <QImageReader>
#include <QTransform>
#include <algorithm>
#include <cmath>

#include "decode/ColourProfile.h"
#include "decode/DecodeBudget.h"
#include "decode/JpegDcDecoder.h"
#include "decode/LibraryDecoder.h"
#include "decode/PhotoDecoder.h"
#include "decode/PictureHeader.h"
#include "decode/ScaledWebp.h"
#include "decode/TgaDecoder.h"
#include "platform/Files.h"

namespace corkwallery {

namespace {

using platform::Error;
template <typename T>
using Result = platform::Result<T>;

DecodeBudget& budget() {
    static DecodeBudget shared(PhotoDecoder::kDecodeBudget);
    return shared;
}

double longerSideOf(QSizeF size) {
    return std::max(size.width(), size.height());
}

// How a picture is decoded, and the most that allocates.
struct Plan {
    enum class Way { Reader, JpegDc, Webp, Tga, Library } way = Way::Reader;
    QSize scaled;  // in stored pixels; invalid for every pixel
    qint64 bytes = 0;
};

// `longerSide` is the size asked for, `leastSide` the least that will do (an eighth of a
// progressive JPEG does when it is that large). Sizes are the header's word: their products
// saturate rather than overflow.
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
    const qint64 output = DecodeBudget::bytesFor(plan.scaled.isValid() ? plan.scaled : stored, 4);
    if (jpeg && jpeg->dcDecodable && leastSide > 0 && longerSideOf(jpeg->eighth()) >= leastSide) {
        plan.way = Plan::Way::JpegDc;
        plan.bytes = jpeg->dcDecodeBytes() + output;
    } else if (header.format == "webp" && !header.animated && plan.scaled.isValid()) {
        plan.way = Plan::Way::Webp;
        plan.bytes = fileBytes + output;
    } else if (header.format == "tga") {
        plan.way = Plan::Way::Tga;
        plan.bytes = header.tgaBytes + DecodeBudget::bytesFor(stored, 4) + output;
    } else if (jpeg) {
        // libjpeg scales by M/8 while it decodes; at most the power of two at or above it. A
        // JPEG's sides have 16 bits.
        const int denominator = factor <= 0.125 ? 8 : factor <= 0.25 ? 4 : factor <= 0.5 ? 2 : 1;
        const QSize decoded((stored.width() + denominator - 1) / denominator,
                            (stored.height() + denominator - 1) / denominator);
        plan.bytes = DecodeBudget::bytesFor(decoded, 4) + output +
                     (jpeg->progressive ? jpeg->coefficientBytes() : 0);
    } else {
        // Decoded whole; pixels of another depth are copied to 32 bits before their colours are
        // converted or they are scaled.
        const int converted = header.bytesPerPixel != 4 ? 4 : 0;
        plan.bytes = DecodeBudget::bytesFor(stored, header.bytesPerPixel + converted) + output;
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
    const bool converting = ColourProfile::needsConversion(image);
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

}  // namespace

PhotoFile::PhotoFile() = default;
PhotoFile::PhotoFile(PhotoFile&&) noexcept = default;
PhotoFile& PhotoFile::operator=(PhotoFile&&) noexcept = default;
PhotoFile::~PhotoFile() = default;

Result<PhotoFile> PhotoFile::open(const std::string& path) {
    PhotoDecoder::prepareDecoders();
    PhotoFile photo;
    photo.path_ = path;
    TRY(photo.file_, platform::files::openRegularFile(path));
    photo.library_ = LibraryDecoder::forFile(*photo.file_);
    if (photo.library_) {
        if (!photo.library_->readHeader())
            return Error{Error::Kind::Invalid, path + ": not a picture that can be decoded"};
        photo.natural_ = photo.library_->size();
        return Result<PhotoFile>::success(std::move(photo));
    }
    TRY(PictureHeader header, PictureHeader::read(*photo.file_, path));
    photo.header_ = std::make_unique<PictureHeader>(std::move(header));
    photo.natural_ = photo.header_->upright();
    if (!photo.natural_.isValid()) {
        TRY(Photo whole, photo.decodePixels(0, 0));
        photo.natural_ = whole.pixels.size();
        photo.whole_ = std::move(whole);
    }
    return Result<PhotoFile>::success(std::move(photo));
}

Result<Photo> PhotoFile::decode(int longerSide, int leastSide) && {
    if (whole_)
        return Result<Photo>::success(std::move(*whole_).reduced(longerSide));
    return decodePixels(longerSide, leastSide);
}

Result<Photo> PhotoFile::decodePixels(int longerSide, int leastSide) {
    QFile& file = *file_;
    std::optional<JpegDcDecoder> markers;
    std::optional<JpegFrame> jpeg;
    if (header_ && header_->format == "jpeg") {
        // Read beside Qt's reader, which reads on from where its header ended.
        const qint64 readerAt = file.pos();
        jpeg = markers.emplace(file).readFrame();
        // Each scan may cost libjpeg a pass over the whole picture, however few bytes it has.
        if (const int scans = jpeg ? markers->countScans() : 0; scans > PhotoDecoder::kMaxScans)
            return Error{Error::Kind::TooLarge,
                         path_ + ": too many scans to decode (" + std::to_string(scans) + ")"};
        if (!file.seek(readerAt))
            return Error{Error::Kind::Io, path_ + ": cannot be read"};
    }
    const Plan plan =
        library_ ? Plan{Plan::Way::Library, {}, library_->decodeBytes(longerSide, leastSide)}
                 : planFor(*header_, jpeg, file.size(), longerSide, leastSide);
    const auto reservation = budget().reserve(plan.bytes);
    if (!reservation)
        return Error{Error::Kind::TooLarge, path_ + ": too large to decode (" +
                                                std::to_string(natural_.width()) + " x " +
                                                std::to_string(natural_.height()) + " pixels)"};
    // Scaled in stored pixels, then turned upright: the turn is left until the picture is small.
    // A library's pixels come upright and scaled.
    QImage pixels;
    if (plan.way == Plan::Way::Library) {
        pixels = library_->decode(longerSide, leastSide);
    } else if (plan.way == Plan::Way::JpegDc) {
        pixels = markers->decodeEighth();
    } else if (plan.way == Plan::Way::Webp) {
        if (file.seek(0))
            pixels = ScaledWebp::decode(file.readAll(), plan.scaled);
    } else if (plan.way == Plan::Way::Tga) {
        const QByteArray bytes = file.seek(0) ? file.read(header_->tgaBytes) : QByteArray();
        pixels = TgaDecoder(bytes, file.size()).decode(bytes);
    } else {
        QImageReader& reader = *header_->reader;
        // A JPEG scales through libjpeg's DCT scaling. Other formats are read whole and scaled
        // here: Qt 6.4's PNG reader scales a 1-bit palette to noise and squares 16-bit alpha.
        if (plan.scaled.isValid() && jpeg && reader.supportsOption(QImageIOHandler::ScaledSize))
            reader.setScaledSize(plan.scaled);
        pixels = reader.read();
        // Qt takes a PNG gamma of about 1/2.2 for a pure power curve; it stands for sRGB.
        if (header_->srgbGamma && !pixels.isNull())
            pixels.setColorSpace(QColorSpace::SRgb);
        // Qt's readers drop a profile they cannot use without a word.
        if (header_->hasProfile && !pixels.isNull() && !pixels.colorSpace().isValid())
            ColourProfile::markUnusable(pixels);
    }
    if (pixels.isNull() || pixels.width() <= 0 || pixels.height() <= 0)
        return Error{Error::Kind::Invalid, path_ + ": its picture could not be decoded"};
    // Only the reader's pixels may be larger than planned; the others come at their size.
    const QSize size = plan.way == Plan::Way::Reader ? plan.scaled : QSize();
    const bool unusableProfile = ColourProfile::isUnusable(pixels);
    pixels = shown(std::move(pixels), size);
    if (header_)
        pixels = turned(std::move(pixels), header_->transformation);
    const QSize natural = natural_.isValid() ? natural_ : pixels.size();
    return Result<Photo>::success(
        Photo{std::move(pixels), QSizeF(natural), unusableProfile}.reduced(longerSide));
}

}  // namespace corkwallery
