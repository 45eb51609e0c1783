#pragma once

#include <QImage>
#include <QRegion>

// What a translucent window shows of what it drew. With a compositor: the drawing over a soft
// shadow cast by its own alpha. Without one the X server shows every pixel's colour as if opaque
// (partial alpha fades it towards black, none is black), so the drawing is cut to where it is at
// least half opaque and made fully opaque there; that cut becomes the window's mask.
namespace corkwallery::surface {

inline constexpr double kShadowOpacity = 0.33;
inline constexpr double kShadowBlur = 12;   // points over which the shadow fades out
inline constexpr double kShadowOffset = 3;  // points the shadow lies below what casts it
// Room the shadow needs past the drawing on every side, in points.
inline constexpr double kShadowRoom = kShadowBlur + kShadowOffset + 2;

// `content` (premultiplied ARGB at its device pixel ratio) over its own soft shadow. Drawings too
// large for a blur in reasonable time (over 8192 x 4096 device pixels) get no shadow.
QImage withShadow(const QImage& content);

// `content` cut to where it is at least half opaque, opaque there in its own (un-premultiplied)
// colour and transparent elsewhere; `mask` gets that cut in device-independent pixels.
QImage cutOut(const QImage& content, QRegion* mask);

}  // namespace corkwallery::surface
