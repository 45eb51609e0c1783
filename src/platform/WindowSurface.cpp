#include "platform/WindowSurface.h"

#include <QHash>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace corkwallery::platform {

namespace {

// One running-sum pass of a box blur along rows (step 1) or columns (step = row length).
void boxPass(std::vector<float>& values, int lines, int length, int lineStep, int step,
             int radius) {
    std::vector<float> line(static_cast<std::size_t>(length));
    const float width = static_cast<float>(2 * radius + 1);
    for (int l = 0; l < lines; ++l) {
        float* start = values.data() + static_cast<std::ptrdiff_t>(l) * lineStep;
        for (int i = 0; i < length; ++i)
            line[static_cast<std::size_t>(i)] = start[static_cast<std::ptrdiff_t>(i) * step];
        float sum = 0;
        for (int i = 0; i < std::min(radius, length); ++i)
            sum += line[static_cast<std::size_t>(i)];
        for (int i = 0; i < length; ++i) {
            if (i + radius < length)
                sum += line[static_cast<std::size_t>(i + radius)];
            if (i - radius - 1 >= 0)
                sum -= line[static_cast<std::size_t>(i - radius - 1)];
            start[static_cast<std::ptrdiff_t>(i) * step] = sum / width;
        }
    }
}

// Black, as opaque as the content is but faded and spread, on a grid of about kCell points: a
// soft shadow needs no finer grain, and a window of any size costs little more than one look at
// each of its pixels.
constexpr double kCell = 4;
constexpr qsizetype kLargestShadowed = 8192 * 4096;  // device pixels

QImage shadowOf(const QImage& content) {
    const double cellPixels = kCell * content.devicePixelRatio();
    const int w = std::max(1, static_cast<int>(std::lround(content.width() / cellPixels)));
    const int h = std::max(1, static_cast<int>(std::lround(content.height() / cellPixels)));
    const QImage cells = content.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    std::vector<float> alpha(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(cells.constScanLine(y));
        for (int x = 0; x < w; ++x)
            alpha[static_cast<std::size_t>(y) * w + x] = qAlpha(line[x]) / 255.0f;
    }
    // Three box passes each way come close to a Gaussian reaching about kShadowBlur points.
    const int radius =
        std::max(1, static_cast<int>(std::lround(WindowSurface::kShadowBlur / (3 * kCell))));
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(alpha, h, w, w, 1, radius);
        boxPass(alpha, w, h, 1, w, radius);
    }
    QImage shadow(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(shadow.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const float a = alpha[static_cast<std::size_t>(y) * w + x];
            line[x] =
                qRgba(0, 0, 0, static_cast<int>(255 * WindowSurface::kShadowOpacity * a + 0.5f));
        }
    }
    return shadow;
}

// The content with its shadow stretched back to its size, a little lower, behind it. The shadow
// shows around the drawing, not through it: inside a translucent card it would darken the card.
QImage overShadow(const QImage& content) {
    const QImage shadow = shadowOf(content);
    QImage out = content.copy();
    const double ratio = content.devicePixelRatio();
    QPainter painter(&out);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOver);
    painter.drawImage(
        QRectF(0, WindowSurface::kShadowOffset, content.width() / ratio, content.height() / ratio),
        shadow);
    painter.end();
    // Inside: drawn on, and so are the four neighbours; the edges keep the shadow behind them.
    const int width = content.width();
    const int height = content.height();
    for (int y = 1; y + 1 < height; ++y) {
        const auto* above = reinterpret_cast<const QRgb*>(content.constScanLine(y - 1));
        const auto* line = reinterpret_cast<const QRgb*>(content.constScanLine(y));
        const auto* below = reinterpret_cast<const QRgb*>(content.constScanLine(y + 1));
        auto* target = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 1; x + 1 < width; ++x) {
            if (qAlpha(line[x]) != 0 && qAlpha(line[x - 1]) != 0 && qAlpha(line[x + 1]) != 0 &&
                qAlpha(above[x]) != 0 && qAlpha(below[x]) != 0)
                target[x] = line[x];
        }
    }
    return out;
}

// Rows of maximal runs, top to bottom and left to right: the banded form QRegion keeps.
QRegion regionOf(const std::vector<QRect>& runs) {
    QRegion region;
    if (!runs.empty())
        region.setRects(runs.data(), static_cast<int>(runs.size()));
    return region;
}

// One pixel per point: a pixel at least half opaque is shown, opaque in its own colour.
QImage cutOutPixels(const QImage& content, QRegion& mask) {
    // Straight colours; a pixel made opaque or clear reads the same premultiplied or not.
    QImage out = content.convertToFormat(QImage::Format_ARGB32);
    const int width = out.width();
    std::vector<QRect> runs;
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        int runStart = -1;
        for (int x = 0; x < width; ++x) {
            const bool shown = qAlpha(line[x]) >= 128;
            line[x] = shown ? line[x] | 0xff000000u : 0;
            if (shown && runStart < 0)
                runStart = x;
            if (!shown && runStart >= 0) {
                runs.emplace_back(runStart, y, x - runStart, 1);
                runStart = -1;
            }
        }
        if (runStart >= 0)
            runs.emplace_back(runStart, y, width - runStart, 1);
    }
    out.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    mask = regionOf(runs);
    return out;
}

// Which point each of `pixels` device pixels along a side belongs to.
std::vector<int> pointOfPixel(int pixels, double ratio, int points) {
    std::vector<int> point(static_cast<std::size_t>(pixels));
    for (int p = 0; p < pixels; ++p)
        point[static_cast<std::size_t>(p)] = std::min(points - 1, static_cast<int>(p / ratio));
    return point;
}

// Decided point by point, since a window's mask is in points: a point at least half opaque on
// average is shown, every device pixel of it opaque in its own colour (or the point's, where it
// has none).
QImage cutOut(const QImage& content, QRegion& mask) {
    const double ratio = content.devicePixelRatio();
    if (ratio == 1)
        return cutOutPixels(content, mask);
    const int width = content.width();
    const int height = content.height();
    const int w = static_cast<int>(std::ceil(width / ratio - 1e-9));
    const int h = static_cast<int>(std::ceil(height / ratio - 1e-9));
    QImage points = content.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    std::vector<QRect> runs;
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(points.scanLine(y));
        int runStart = -1;
        for (int x = 0; x <= w; ++x) {
            const bool shown = x < w && qAlpha(line[x]) >= 128;
            if (x < w)
                line[x] = shown ? qUnpremultiply(line[x]) | 0xff000000u : 0;
            if (shown && runStart < 0)
                runStart = x;
            if (!shown && runStart >= 0) {
                runs.emplace_back(runStart, y, x - runStart, 1);
                runStart = -1;
            }
        }
    }
    const std::vector<int> column = pointOfPixel(width, ratio, w);
    const std::vector<int> row = pointOfPixel(height, ratio, h);
    QImage out = content.convertToFormat(QImage::Format_ARGB32);
    for (int py = 0; py < height; ++py) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(py));
        const auto* pointLine = reinterpret_cast<const QRgb*>(points.constScanLine(row[py]));
        for (int px = 0; px < width; ++px) {
            const QRgb point = pointLine[column[static_cast<std::size_t>(px)]];
            if (point == 0)
                line[px] = 0;
            else
                line[px] = qAlpha(line[px]) == 0 ? point : line[px] | 0xff000000u;
        }
    }
    out.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(ratio);
    mask = regionOf(runs);
    return out;
}

}  // namespace

bool WindowSurface::update(const QImage& content, bool compositing, bool castsShadow) {
    const QImage premultiplied = content.format() == QImage::Format_ARGB32_Premultiplied
                                     ? content
                                     : content.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // A fingerprint rather than a copy: windows may be large.
    const Key key{
        premultiplied.size(), premultiplied.devicePixelRatio(),
        qHashBits(premultiplied.constBits(), static_cast<std::size_t>(premultiplied.sizeInBytes())),
        compositing, castsShadow};
    if (!image_.isNull() && key == key_)
        return false;
    key_ = key;
    if (compositing) {
        mask_ = QRegion();
        // Past a size no screen shows whole, the shadow is left out rather than slow every paint.
        const bool shadowed = castsShadow && !premultiplied.isNull() &&
                              premultiplied.width() * premultiplied.height() <= kLargestShadowed;
        image_ = shadowed ? overShadow(premultiplied) : premultiplied;
    } else {
        image_ = cutOut(premultiplied, mask_);
    }
    return true;
}

}  // namespace corkwallery::platform
