#include "decode/PreviewCache.h"

#include <fcntl.h>

#include <QFile>
#include <QImageWriter>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/Files.h"
#include "platform/Log.h"

namespace corkwallery::PreviewCache {

namespace fs = std::filesystem;

namespace {

constexpr int kJpegQuality = 88;
// A preview whose shape differs from the photo's by more than this is someone else's.
constexpr double kAspectTolerance = 0.02;
const char* const kJpegSuffix = ".jpg";
const char* const kPngSuffix = ".png";
// A preview being written: "<preview>.partXXXXXX", each write its own.
const char* const kPart = ".part";
constexpr std::size_t kPartUnique = 6;
const char* const kAppFolder = "Corkwallery";
const char* const kPreviewsFolder = "previews";

std::string hex(unsigned long long value) {
    char text[24];
    std::snprintf(text, sizeof text, "%llx", value);
    return text;
}

// Made again when previews change what they hold: earlier ones held colours not converted to sRGB.
constexpr unsigned kPreviewVersion = 2;

// "<copy name>.<size>-<mtime>-<version>" in hexadecimal, for the copy as it is now.
std::optional<std::string> stem(const std::string& copyPath) {
    std::error_code error;
    const fs::path copy(copyPath);
    const auto bytes = fs::file_size(copy, error);
    if (error)
        return std::nullopt;
    const auto modified = fs::last_write_time(copy, error);
    if (error)
        return std::nullopt;
    const auto ticks = static_cast<unsigned long long>(modified.time_since_epoch().count());
    return folder() + "/" + copy.filename().string() + "." + hex(bytes) + "-" + hex(ticks) + "-" +
           hex(kPreviewVersion);
}

std::optional<std::string> existingPreview(const std::string& copyPath) {
    const auto base = stem(copyPath);
    if (!base)
        return std::nullopt;
    std::error_code error;
    for (const char* suffix : {kJpegSuffix, kPngSuffix}) {
        if (fs::is_regular_file(*base + suffix, error))
            return *base + suffix;
    }
    return std::nullopt;
}

// Whether `rest`, what follows "<copy name>." in a file name, is a preview's key and suffix, or a
// preview being written.
bool isPreviewKey(std::string_view rest) {
    if (const auto part = rest.rfind(kPart);
        part != std::string_view::npos && rest.size() - part == std::strlen(kPart) + kPartUnique)
        rest = rest.substr(0, part);
    if (!rest.ends_with(kJpegSuffix) && !rest.ends_with(kPngSuffix))
        return false;
    rest.remove_suffix(4);
    const auto dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == rest.size())
        return false;
    return std::all_of(rest.begin(), rest.end(), [](char c) {
        return c == '-' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    });
}

std::string cacheFolder() {
    return platform::files::fromQt(
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation));
}

}  // namespace

std::string folder() {
    return cacheFolder() + "/" + kAppFolder + "/" + kPreviewsFolder;
}

void makePrivate() {
    if (const auto made =
            platform::files::makePrivate(cacheFolder(), {kAppFolder, kPreviewsFolder});
        !made)
        platform::log("ERROR making the previews private: " + made.error().message);
}

int previewSide(double scale) {
    return static_cast<int>(std::ceil(kPreviewSide * scale));
}

std::optional<Photo> load(const std::string& copyPath, QSize naturalSize, int longerSide) {
    const auto path = existingPreview(copyPath);
    if (!path || naturalSize.isEmpty())
        return std::nullopt;
    // A preview that is damaged or of another shape is dropped, to be made again.
    const auto read = PhotoDecoder::decode(*path, longerSide);
    const Photo* preview = read ? &read.value() : nullptr;
    const double aspect = static_cast<double>(naturalSize.width()) / naturalSize.height();
    if (preview == nullptr ||
        std::abs(preview->naturalSize.width() / preview->naturalSize.height() / aspect - 1) >
            kAspectTolerance) {
        std::error_code ignored;
        fs::remove(*path, ignored);
        return std::nullopt;
    }
    const QSizeF own = preview->naturalSize;
    const QSize decoded = preview->pixels.size();
    const bool whole = own.width() >= naturalSize.width() && own.height() >= naturalSize.height();
    if (std::max(decoded.width(), decoded.height()) < longerSide && !whole)
        return std::nullopt;
    return Photo{preview->pixels, QSizeF(naturalSize)};
}

bool hasFresh(const std::string& copyPath) {
    return existingPreview(copyPath).has_value();
}

void store(const std::string& copyPath, const Photo& photo, int longerSide) {
    const auto base = stem(copyPath);
    if (!base || photo.pixels.isNull())
        return;
    const QImage pixels = std::max(photo.pixels.width(), photo.pixels.height()) > longerSide
                              ? photo.pixels.scaled(longerSide, longerSide, Qt::KeepAspectRatio,
                                                    Qt::SmoothTransformation)
                              : photo.pixels;
    remove(fs::path(copyPath).filename().string());
    // Scaled copies of private photos: folders and files are the user's alone from the start.
    if (!platform::files::createPrivateFolder(folder()))
        return;
    const bool transparent = pixels.hasAlphaChannel();
    const std::string path = *base + (transparent ? kPngSuffix : kJpegSuffix);
    // Written beside and renamed into place, so a preview is whole or absent. It is not forced
    // to disk, unlike the photo copies: a preview lost in a crash is only made again. A new file
    // of a name of its own, 0600 from the start (mkostemp), so that workers storing the same
    // copy's preview never write one file; one left by a crash went with remove() above.
    std::string part = path + kPart + std::string(kPartUnique, 'X');
    const int fd = ::mkostemp(part.data(), O_CLOEXEC);
    if (fd < 0)
        return;
    QFile file;
    file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
    QImageWriter writer(&file, transparent ? "png" : "jpeg");
    if (!transparent)
        writer.setQuality(kJpegQuality);
    const bool written = writer.write(pixels) && file.flush();
    file.close();
    std::error_code error;
    if (!written) {
        fs::remove(part, error);
        return;
    }
    fs::rename(part, path, error);
    if (error)
        fs::remove(part, error);
}

void remove(std::string_view copyName) {
    if (copyName.empty())
        return;
    std::error_code error;
    fs::directory_iterator entries(folder(), error);
    if (error)
        return;
    const std::string prefix = std::string(copyName) + ".";
    for (const auto& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(prefix) && isPreviewKey(std::string_view(name).substr(prefix.size())))
            fs::remove(entry.path(), error);
    }
}

}  // namespace corkwallery::PreviewCache
