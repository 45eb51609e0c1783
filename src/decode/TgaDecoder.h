#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <QtGlobal>

namespace corkwallery {

// A Truevision TGA picture: colour-mapped, true-colour or greyscale, plain or run-length encoded;
// pixels of 8, 15, 16, 24 or 32 bits, colour-map entries of 15, 16, 24 or 32 bits; stored from any
// corner. TGA has no signature: the header is checked field by field, and only the pixel count
// the header states is ever written, whatever the data holds.
class TgaDecoder {
public:
    static constexpr int kHeaderBytes = 18;

    // Reads the header at the start of `head` (the file's first bytes, at least kHeaderBytes);
    // `fileBytes` is the whole file's length, which must hold the id, the colour map and some data.
    TgaDecoder(QByteArrayView head, qint64 fileBytes);

    bool isValid() const { return valid_; }
    // Stricter, for a file whose name does not say TGA: no reserved bits set, and the file at
    // least as long as its pixel data can be.
    bool isPlausible() const;
    QSize size() const { return size_; }
    // The most of the file a decode reads: past it is none of the picture.
    qint64 mostBytesRead() const;

    // The picture in `file` (the whole file, or its first mostBytesRead() bytes), upright, as
    // ARGB32 when it has alpha and RGB32 otherwise. Pixels the data does not reach stay zero
    // (transparent, or black); null when the header is invalid or no pixel is present.
    QImage decode(QByteArrayView file) const;

private:
    bool valid_ = false;
    int type_ = 0;
    int pixelBits_ = 0;
    int alphaBits_ = 0;
    bool topDown_ = false;
    bool rightToLeft_ = false;
    int reservedBits_ = 0;
    int mapFirst_ = 0;
    int mapLength_ = 0;
    int mapEntryBits_ = 0;
    qint64 mapOffset_ = 0;
    qint64 dataOffset_ = 0;
    qint64 fileBytes_ = 0;
    QSize size_;

    bool colourMapped() const { return type_ == 1 || type_ == 9; }
    bool greyscale() const { return type_ == 3 || type_ == 11; }
    bool runLength() const { return type_ >= 9; }
    int pixelBytes() const { return (pixelBits_ + 7) / 8; }
    bool hasAlpha() const;
};

}  // namespace corkwallery
