#pragma once

#include <QByteArray>
#include <QColorSpace>
#include <QImage>

// How decoders pass on the colours a file states: every decoder tags its pixels with the colour
// space of the file's embedded profile, and PhotoDecoder converts tagged pixels to sRGB. A profile
// Qt cannot use leaves the pixels untagged and marked, so that the pin's log can say so.
namespace corkwallery::ColourProfile {

// The text key of the mark on pixels whose file holds a profile Qt cannot use.
inline constexpr char kUnusableProfileKey[] = "UnusableColourProfile";

inline void markUnusable(QImage& image) {
    image.setText(kUnusableProfileKey, QStringLiteral("1"));
}

// Tags `image` with the colour space of the ICC profile `icc`; empty bytes tag nothing.
inline void tag(QImage& image, const QByteArray& icc) {
    if (icc.isEmpty())
        return;
    const QColorSpace space = QColorSpace::fromIccProfile(icc);
    if (space.isValid())
        image.setColorSpace(space);
    else
        markUnusable(image);
}

// Whether `image`'s pixels need converting to sRGB: they are tagged with another colour space.
// Profiles of sRGB, as cameras and editors embed them, are told as sRGB and cost nothing.
inline bool needsConversion(const QImage& image) {
    const QColorSpace space = image.colorSpace();
    return space.isValid() && space != QColorSpace::SRgb &&
           !(space.primaries() == QColorSpace::Primaries::SRgb &&
             space.transferFunction() == QColorSpace::TransferFunction::SRgb);
}

// Whether `image` came from a file whose profile Qt cannot use.
inline bool isUnusable(const QImage& image) {
    return !image.text(kUnusableProfileKey).isEmpty();
}

}  // namespace corkwallery::ColourProfile
