#pragma once

#include <QImage>
#include <QSize>

namespace corkwallery {

// A picture held as a codec gives it, luma and chroma planes (chroma at its own resolution, or
// none for grey) with an optional alpha plane, 8 to 16 bits a sample, made into an 8-bit RGB
// image of a smaller size in one pass: each output pixel averages the source pixels its area
// covers, so no full-size RGB picture is ever made.
class YCbCrScaler {
public:
    // One plane: samples of one byte up to 8 bits deep, of two (native endian) past that.
    struct Plane {
        const uchar* bits = nullptr;
        qsizetype stride = 0;
        QSize size;
        int depth = 8;
    };

    // How YCbCr maps to RGB: the luma weights of red and blue, by the H.273 matrix number
    // (0: the planes hold G, B and R), and whether samples span the full range.
    struct Matrix {
        int coefficients = 6;
        bool fullRange = true;
    };

    // `cb` and `cr` may be empty (grey), `alpha` too (opaque). Alpha is straight unless
    // `premultiplied`.
    YCbCrScaler(Plane luma, Plane cb, Plane cr, Plane alpha, Matrix matrix, bool premultiplied);

    // The picture at `size` (at most the luma plane's): premultiplied RGBA where there is
    // alpha, opaque RGB otherwise; null for planes that do not fit together.
    QImage scaled(QSize size) const;

private:
    template <typename Sample>
    QImage scaledFrom(QSize size) const;

    Plane luma_;
    Plane cb_;
    Plane cr_;
    Plane alpha_;
    Matrix matrix_;
    bool premultiplied_;
};

}  // namespace corkwallery
