#pragma once

#include <QByteArray>
#include <QImageIOHandler>
#include <QSize>
#include <memory>
#include <string>

#include "platform/Result.h"

class QFile;
class QImageReader;

namespace corkwallery {

// What a picture's header tells before anything is decoded, and the reader that will decode it:
// the stored (un-turned) pixel size, the turn its metadata asks for, the bytes per pixel of a
// whole decode (4 when the format does not say), and what its colours are stated in.
struct PictureHeader {
    QSize stored;  // invalid for a format that tells its size only by decoding (ICNS, MNG)
    QImageIOHandler::Transformations transformation;
    int bytesPerPixel = 4;
    QByteArray format;  // as content detection names it: "jpeg", "png", "tiff", "tga"...
    bool animated = false;
    bool hasProfile = false;
    bool srgbGamma = false;                // a PNG gamma of about 1/2.2 with sRGB primaries or none
    qint64 tgaBytes = 0;                   // of a TGA's file, held while it is decoded
    std::unique_ptr<QImageReader> reader;  // none for a TGA, which TgaDecoder reads

    QSize upright() const {
        return transformation.testFlag(QImageIOHandler::TransformationRotate90)
                   ? stored.transposed()
                   : stored;
    }

    // Reads the header of `file`, named `path`, from its start. Fails for an unreadable header or
    // no area (Invalid), and for SVG (Unsupported), which is never decoded: Qt's SVG reader follows
    // <image> references to other files, which could be FIFOs, huge pictures or anything outside
    // the folder.
    static platform::Result<PictureHeader> read(QFile& file, const std::string& path);
};

}  // namespace corkwallery
