#include "decode/YCbCrScaler.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace corkwallery {

namespace {

// The luma weights of red and blue for an H.273 matrix; BT.601's, as libheif assumes, for one
// unstated or unknown.
std::pair<double, double> weightsOf(int coefficients) {
    switch (coefficients) {
        case 1:
            return {0.2126, 0.0722};
        case 4:
            return {0.30, 0.11};
        case 7:
            return {0.212, 0.087};
        case 9:
        case 10:
            return {0.2627, 0.0593};
        default:
            return {0.299, 0.114};
    }
}

// A sample's value in [0, 1] (or [-0.5, 0.5] for chroma) as (sample - offset) * scale.
struct Range {
    double offset;
    double scale;
};

Range rangeOf(int depth, bool fullRange, bool chroma) {
    const double step = std::ldexp(1.0, depth - 8);
    if (fullRange)
        return {chroma ? std::ldexp(1.0, depth - 1) : 0.0, 1.0 / (std::ldexp(1.0, depth) - 1)};
    return chroma ? Range{128 * step, 1 / (224 * step)} : Range{16 * step, 1 / (219 * step)};
}

// How many source samples one subsampled sample stands for along a side.
int ratioOf(int whole, int part) {
    return std::max(1, (whole + part - 1) / std::max(part, 1));
}

bool wide(const YCbCrScaler::Plane& plane) {
    return plane.depth > 8;
}

template <typename Sample>
const Sample* rowOf(const YCbCrScaler::Plane& plane, int y) {
    return reinterpret_cast<const Sample*>(plane.bits + plane.stride * y);
}

uchar level(double value, double ceiling) {
    return static_cast<uchar>(std::lround(std::clamp(value, 0.0, ceiling) * 255));
}

}  // namespace

YCbCrScaler::YCbCrScaler(Plane luma, Plane cb, Plane cr, Plane alpha, Matrix matrix,
                         bool premultiplied)
    : luma_(luma),
      cb_(cb),
      cr_(cr),
      alpha_(alpha),
      matrix_(matrix),
      premultiplied_(premultiplied) {}

QImage YCbCrScaler::scaled(QSize size) const {
    const QSize whole = luma_.size;
    const bool colour = cb_.bits != nullptr || cr_.bits != nullptr;
    const auto fits = [&](const Plane& plane, QSize most) {
        return plane.bits != nullptr && plane.depth >= 1 && plane.depth <= 16 &&
               !plane.size.isEmpty() && plane.size.width() <= most.width() &&
               plane.size.height() <= most.height();
    };
    if (!fits(luma_, whole) || size.isEmpty() || size.width() > whole.width() ||
        size.height() > whole.height())
        return {};
    if (colour && !(fits(cb_, whole) && fits(cr_, whole) && cb_.size == cr_.size &&
                    wide(cb_) == wide(luma_) && wide(cr_) == wide(luma_)))
        return {};
    if (alpha_.bits != nullptr && !(fits(alpha_, whole) && alpha_.size == whole))
        return {};
    return wide(luma_) ? scaledFrom<std::uint16_t>(size) : scaledFrom<std::uint8_t>(size);
}

template <typename Sample>
QImage YCbCrScaler::scaledFrom(QSize size) const {
    const int width = luma_.size.width();
    const int height = luma_.size.height();
    const bool colour = cb_.bits != nullptr;
    const bool alpha = alpha_.bits != nullptr;
    const bool weighted = alpha && !premultiplied_;
    QImage image(size, alpha ? QImage::Format_RGBA8888_Premultiplied : QImage::Format_RGBX8888);
    if (image.isNull())
        return {};

    // Each source column's output column and chroma column.
    const int chromaWidth = colour ? cb_.size.width() : 1;
    const int chromaHeight = colour ? cb_.size.height() : 1;
    const int across = ratioOf(width, chromaWidth);
    const int down = ratioOf(height, chromaHeight);
    std::vector<int> column(static_cast<std::size_t>(width));
    std::vector<int> chromaColumn(column.size());
    std::vector<qint64> count(static_cast<std::size_t>(size.width()));
    for (int x = 0; x < width; ++x) {
        column[x] = static_cast<int>(qint64{x} * size.width() / width);
        chromaColumn[x] = std::min(x / across, chromaWidth - 1);
        ++count[column[x]];
    }

    const auto [kr, kb] = weightsOf(matrix_.coefficients);
    const bool identity = matrix_.coefficients == 0;
    const Range lumaRange = rangeOf(luma_.depth, matrix_.fullRange, false);
    const Range chromaRange = rangeOf(cb_.depth, matrix_.fullRange, colour && !identity);
    const double alphaMost = std::ldexp(1.0, alpha_.depth) - 1;
    const double weightMost = weighted ? alphaMost : 1;

    struct Sums {
        std::uint64_t y = 0, cb = 0, cr = 0, a = 0;
    };
    std::vector<Sums> sums(count.size());
    int rows = 0;
    int outputRow = 0;
    for (int y = 0; y < height; ++y) {
        const auto* lumaRow = rowOf<Sample>(luma_, y);
        const int chromaY = std::min(y / down, chromaHeight - 1);
        const Sample* cbRow = colour ? rowOf<Sample>(cb_, chromaY) : nullptr;
        const Sample* crRow = colour ? rowOf<Sample>(cr_, chromaY) : nullptr;
        const uchar* alphaRow = alpha ? alpha_.bits + alpha_.stride * y : nullptr;
        for (int x = 0; x < width; ++x) {
            std::uint32_t a = 1;
            if (alpha)
                a = wide(alpha_) ? reinterpret_cast<const std::uint16_t*>(alphaRow)[x]
                                 : alphaRow[x];
            const std::uint32_t w = weighted ? a : 1;
            Sums& sum = sums[column[x]];
            sum.y += w * lumaRow[x];
            if (colour) {
                sum.cb += w * cbRow[chromaColumn[x]];
                sum.cr += w * crRow[chromaColumn[x]];
            }
            sum.a += a;
        }
        ++rows;
        if (y + 1 < height && qint64{y + 1} * size.height() / height == outputRow)
            continue;

        // The averages, premultiplied where there is alpha, made RGB.
        uchar* out = image.scanLine(outputRow);
        for (int x = 0; x < size.width(); ++x, out += 4) {
            Sums& sum = sums[x];
            const double n = static_cast<double>(rows) * static_cast<double>(count[x]);
            const double coverage = alpha ? static_cast<double>(sum.a) / (n * alphaMost) : 1;
            const double offsetShare = weighted ? coverage : 1;
            const double scale = 1 / (n * weightMost);
            const double luma =
                (static_cast<double>(sum.y) * scale - lumaRange.offset * offsetShare) *
                lumaRange.scale;
            double cb = 0;
            double cr = 0;
            if (colour) {
                cb = (static_cast<double>(sum.cb) * scale - chromaRange.offset * offsetShare) *
                     chromaRange.scale;
                cr = (static_cast<double>(sum.cr) * scale - chromaRange.offset * offsetShare) *
                     chromaRange.scale;
            }
            double red = cr;
            double green = luma;
            double blue = cb;
            if (!identity) {
                red = luma + 2 * (1 - kr) * cr;
                blue = luma + 2 * (1 - kb) * cb;
                green = (luma - kr * red - kb * blue) / (1 - kr - kb);
            } else if (!colour) {
                red = blue = luma;
            }
            out[0] = level(red, coverage);
            out[1] = level(green, coverage);
            out[2] = level(blue, coverage);
            out[3] = level(coverage, 1);
            sum = {};
        }
        rows = 0;
        ++outputRow;
    }
    return image;
}

}  // namespace corkwallery
