#include "decode/PictureHeader.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <optional>

#include "decode/EmbeddedMetadata.h"
#include "decode/TgaDecoder.h"
#include "platform/Files.h"

namespace corkwallery {

namespace {

using platform::Error;
template <typename T>
using Result = platform::Result<T>;

Error notAPicture(const std::string& path) {
    return {Error::Kind::Invalid, path + ": not a picture that can be decoded"};
}

QByteArray suffixOf(const std::string& path) {
    return QFileInfo(platform::files::toQt(path)).suffix().toLower().toLatin1();
}

// The reader for a file: of the format its name's suffix gives when that reader accepts the
// content, else of the format the content shows, as a format without a signature goes by name.
std::unique_ptr<QImageReader> readerFor(QFile& file, const std::string& path) {
    const QByteArray suffix = suffixOf(path);
    if (!suffix.isEmpty() && QImageReader::supportedImageFormats().contains(suffix)) {
        auto hinted = std::make_unique<QImageReader>(&file, suffix);
        if (hinted->canRead())
            return hinted;
    }
    file.seek(0);
    return std::make_unique<QImageReader>(&file);
}

// What Qt's reader tells of the header; `metadata` adds what it leaves out. A format that cannot
// tell its size without decoding gives an invalid stored size; the budget then holds Qt's
// allocation limit for the decode.
Result<PictureHeader> headerOf(QImageReader& reader, const std::string& path,
                               const EmbeddedMetadata::Metadata& metadata) {
    if (!reader.canRead())
        return notAPicture(path);
    // Named as content detection names them, whatever name the suffix gave.
    QByteArray format = reader.format().toLower();
    if (format == "jpg")
        format = "jpeg";
    else if (format == "tif")
        format = "tiff";
    if (format == "svg" || format == "svgz")
        return Error{Error::Kind::Unsupported, path + ": SVG pictures are not decoded"};
    const QSize stored = reader.size();
    if (stored.isValid() && stored.isEmpty())
        return notAPicture(path);
    const int bits = QImage::toPixelFormat(reader.imageFormat()).bitsPerPixel();
    const auto transformation = metadata.orientation > 0
                                    ? EmbeddedMetadata::transformation(metadata.orientation)
                                    : reader.transformation();
    PictureHeader header;
    header.stored = stored;
    header.transformation = transformation;
    header.bytesPerPixel = bits > 0 ? (bits + 7) / 8 : 4;
    header.format = format;
    header.animated = reader.supportsAnimation();
    header.hasProfile = metadata.hasProfile;
    header.srgbGamma = metadata.srgbGamma;
    return Result<PictureHeader>::success(std::move(header));
}

// A TGA is read by TgaDecoder, not by Qt's reader, which takes only uncompressed true colour with
// a footer. TGA has no signature: a file is taken by its name, or, when no reader of Qt's claims
// it, by a header that holds up field by field.
std::optional<PictureHeader> tgaHeader(QFile& file, bool named) {
    if (!file.seek(0))
        return std::nullopt;
    const QByteArray head = file.peek(TgaDecoder::kHeaderBytes);
    const TgaDecoder tga(head, file.size());
    if (named ? !tga.isValid() : !tga.isPlausible())
        return std::nullopt;
    PictureHeader header;
    header.stored = tga.size();
    header.format = "tga";
    header.tgaBytes = tga.mostBytesRead();
    return header;
}

}  // namespace

Result<PictureHeader> PictureHeader::read(QFile& file, const std::string& path) {
    const auto metadata = EmbeddedMetadata::read(file);
    if (!file.seek(0))
        return Error{Error::Kind::Io, path + ": cannot be read"};
    const QByteArray suffix = suffixOf(path);
    const bool namedTga = suffix == "tga" || suffix == "icb" || suffix == "vda" || suffix == "vst";
    if (auto tga = namedTga ? tgaHeader(file, true) : std::nullopt)
        return Result<PictureHeader>::success(std::move(*tga));
    if (!file.seek(0))
        return Error{Error::Kind::Io, path + ": cannot be read"};
    auto reader = readerFor(file, path);
    auto header = headerOf(*reader, path, metadata);
    if (!header && !namedTga && header.error().kind == Error::Kind::Invalid) {
        if (auto tga = tgaHeader(file, false))
            return Result<PictureHeader>::success(std::move(*tga));
    }
    if (!header)
        return header;
    header.value().reader = std::move(reader);
    return header;
}

}  // namespace corkwallery
