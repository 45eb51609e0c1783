#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <memory>

class QIODevice;

namespace corkwallery {

// A picture Qt 6.4 has no reader for, decoded through its own library: HEIF and AVIF through
// libheif, JPEG XL through libjxl. The header gives the upright size and what a decode will
// allocate, so that the decode budget is reserved before anything is; the pixels come upright,
// tagged with the file's colour space. The file must stay open while the decoder lives.
class LibraryDecoder {
public:
    LibraryDecoder() = default;
    LibraryDecoder(const LibraryDecoder&) = delete;
    LibraryDecoder& operator=(const LibraryDecoder&) = delete;
    virtual ~LibraryDecoder() = default;

    // The decoder for the file's content, told by its first bytes; none for any other file.
    // The file is read from its start.
    static std::unique_ptr<LibraryDecoder> forFile(QIODevice& file);
    // The MIME types these decoders read.
    static QList<QByteArray> mimeTypes();

    // Reads the header; false for a damaged one or no area.
    virtual bool readHeader() = 0;
    // The upright size, once the header is read.
    virtual QSize size() const = 0;
    // The most that decode(longerSide, leastSide) allocates, output included.
    virtual qint64 decodeBytes(int longerSide, int leastSide) const = 0;
    // The picture upright, at most `longerSide` pixels on its longer side (0: every pixel), and
    // at least `leastSide` where it has that many; null when it cannot be decoded. Animations and
    // files of several pictures give their first or primary one.
    virtual QImage decode(int longerSide, int leastSide) = 0;

protected:
    // `size` fitted within `longerSide` pixels (0: as it is).
    static QSize fitted(QSize size, int longerSide);
    // `image` scaled smoothly to fit within `longerSide`; as it is when it fits.
    static QImage reduced(QImage image, int longerSide);
};

}  // namespace corkwallery
