#pragma once

#include <QSize>
#include <memory>
#include <optional>
#include <string>

#include "decode/Photo.h"
#include "platform/Result.h"

class QFile;

namespace corkwallery {

class LibraryDecoder;
struct PictureHeader;

// A photo file opened for decoding, read as far as its header once: the open file, how it
// decodes (through a library, or Qt's reader or ours for TGA, with what the header and metadata
// state: size, EXIF turn, colours), and its upright size. Made by PhotoDecoder::open(), spent by
// decode(). Move-only: it holds the file open.
class PhotoFile {
public:
    // A regular file, opened without blocking; the errors are those PhotoDecoder.h lists.
    static platform::Result<PhotoFile> open(const std::string& path);

    PhotoFile(PhotoFile&&) noexcept;
    PhotoFile& operator=(PhotoFile&&) noexcept;
    ~PhotoFile();

    const std::string& path() const { return path_; }
    // Upright: EXIF orientation applied.
    QSize naturalSize() const { return natural_; }

    // At most about `longerSide` pixels on the longer side (0: all of them), and at least
    // `leastSide` where a cheaper decode has that many.
    platform::Result<Photo> decode(int longerSide, int leastSide) &&;

private:
    PhotoFile();
    platform::Result<Photo> decodePixels(int longerSide, int leastSide);

    std::string path_;
    std::unique_ptr<QFile> file_;
    std::unique_ptr<LibraryDecoder> library_;  // for HEIF, AVIF and JPEG XL, its header read
    std::unique_ptr<PictureHeader> header_;    // for the rest
    QSize natural_;
    // A format whose header tells no size (ICNS, MNG) is decoded whole to tell it.
    std::optional<Photo> whole_;
};

}  // namespace corkwallery
