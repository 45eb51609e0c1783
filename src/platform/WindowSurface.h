#pragma once

#include <QImage>
#include <QRegion>

namespace corkwallery::platform {

// What a translucent window shows, made from what its views drew. With a compositor: the drawing
// over a soft shadow cast by its own alpha. Without one the X server shows every pixel's colour
// as if opaque (partial alpha fades it towards black, none is black), so the drawing is cut to
// where it is at least half opaque and made fully opaque there; the cut is the window's mask.
class WindowSurface {
public:
    static constexpr double kShadowOpacity = 0.33;
    static constexpr double kShadowBlur = 12;   // points over which the shadow fades out
    static constexpr double kShadowOffset = 3;  // points the shadow lies below what casts it
    // Room the shadow needs past the drawing on every side, in points.
    static constexpr double kShadowRoom = kShadowBlur + kShadowOffset + 2;

    // Makes the surface for `content` (premultiplied ARGB at its device pixel ratio). Returns
    // false, and keeps what it has, when neither the content nor the settings changed.
    bool update(const QImage& content, bool compositing, bool castsShadow);

    // Premultiplied ARGB at the content's device pixel ratio.
    const QImage& image() const { return image_; }
    // Without a compositor, the pixels shown, in device-independent pixels; empty with one.
    const QRegion& mask() const { return mask_; }

private:
    struct Key {
        QSize size;
        qreal ratio = 1;
        std::size_t pixels = 0;  // a hash of the content's pixels
        bool compositing = false;
        bool castsShadow = false;
        friend bool operator==(const Key&, const Key&) = default;
    };

    Key key_;
    QImage image_;
    QRegion mask_;
};

}  // namespace corkwallery::platform
