#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QImageIOHandler>

// What a file's container states beside its pixels where Qt 6.4's readers do not look: the EXIF
// orientation of a PNG (eXIf chunk) or a WebP (EXIF chunk), whether a PNG's gamma means sRGB, and
// whether a colour profile is embedded at all, so that a profile a reader dropped can be told from
// none. Only the container's structure is walked; pixel data is skipped by seeking.
namespace corkwallery::EmbeddedMetadata {

struct Metadata {
    int orientation = 0;  // EXIF orientation, 1 to 8; 0 when none is stated
    bool hasProfile = false;
    // A PNG's gamma of about 1/2.2 (gAMA), with sRGB's primaries (cHRM) or none, and no profile
    // (iCCP): it stands for sRGB, as libpng and viewers take it, not a pure power curve.
    bool srgbGamma = false;
};

// Reads `device` from its start; the format is told from its signature (PNG, WebP, JPEG, TIFF),
// and others give none. Leaves the device's position anywhere.
Metadata read(QIODevice& device);

// The orientation in EXIF bytes (a TIFF structure, perhaps after "Exif\0\0"); 0 when none.
int exifOrientation(const QByteArray& exif);

// The turn an EXIF orientation asks for, as Qt's readers report it.
QImageIOHandler::Transformations transformation(int orientation);

}  // namespace corkwallery::EmbeddedMetadata
