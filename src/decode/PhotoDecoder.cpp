#include "decode/PhotoDecoder.h"

#include <QImageReader>
#include <algorithm>
#include <cmath>
#include <mutex>

#include "decode/LibraryDecoder.h"
#include "decode/PreviewCache.h"

namespace corkwallery::PhotoDecoder {

namespace {

// How finely a pin's photo is decoded: room for the lifted photo (5% larger) and small
// enlargements, never the camera's resolution.
constexpr double kMargin = 1.25;

double longerSideOf(QSizeF size) {
    return std::max(size.width(), size.height());
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

Result<PhotoFile> open(const std::string& path) {
    return PhotoFile::open(path);
}

Result<Photo> decode(PhotoFile file, int longerSide) {
    return std::move(file).decode(longerSide, longerSide);
}

Result<Photo> decode(const std::string& path, int longerSide) {
    TRY(PhotoFile file, open(path));
    return decode(std::move(file), longerSide);
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
    TRY(PhotoFile copy, open(copyPath));
    const int needed = longerSideToDecode(points, scale);
    if (auto preview = PreviewCache::load(copyPath, copy.naturalSize(), needed))
        return Result<Photo>::success(std::move(*preview));
    const int previewSide = PreviewCache::previewSide(scale);
    const bool makePreview = !PreviewCache::hasFresh(copyPath);
    // The preview is made as large as a cheap decode gives, and never smaller than the pin needs.
    TRY(Photo photo,
        std::move(copy).decode(makePreview ? std::max(needed, previewSide) : needed, needed));
    if (makePreview)
        PreviewCache::store(copyPath, photo, previewSide);
    return Result<Photo>::success(std::move(photo).reduced(needed));
}

}  // namespace corkwallery::PhotoDecoder
