#include "desktop/WindowSurface.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

namespace corkwallery::surface {

namespace {

// The shadow is made on a grid of about kCell points: a soft shadow needs no finer grain, and a
// window of any size costs little more than one look at each of its pixels.
constexpr double kCell = 4;
constexpr qsizetype kLargestShadowed = qsizetype{8192} * 4096;  // device pixels

// One running-sum pass of a box blur along `count` lines of `length` values, `step` apart.
void boxPass(std::vector<float>& values, int count, int lineStep, int length, int step,
             int radius) {
    std::vector<float> line(length);
    for (int l = 0; l < count; ++l) {
        float* start = values.data() + static_cast<std::ptrdiff_t>(l) * lineStep;
        for (int i = 0; i < length; ++i)
            line[i] = start[static_cast<std::ptrdiff_t>(i) * step];
        float sum = 0;
        for (int i = 0; i < std::min(radius, length); ++i)
            sum += line[i];
        for (int i = 0; i < length; ++i) {
            if (i + radius < length)
                sum += line[i + radius];
            if (i - radius - 1 >= 0)
                sum -= line[i - radius - 1];
            start[static_cast<std::ptrdiff_t>(i) * step] = sum / static_cast<float>(2 * radius + 1);
        }
    }
}

// Black, as opaque as the content is but faded and spread, one pixel per cell.
QImage shadowOf(const QImage& content) {
    const double cellPixels = kCell * content.devicePixelRatio();
    const int w = std::max(1, int(std::lround(content.width() / cellPixels)));
    const int h = std::max(1, int(std::lround(content.height() / cellPixels)));
    QImage cells = content.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    std::vector<float> alpha(std::size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(cells.constScanLine(y));
        for (int x = 0; x < w; ++x)
            alpha[std::size_t(y) * w + x] = static_cast<float>(qAlpha(line[x])) / 255.0f;
    }
    // Three box passes each way come close to a Gaussian reaching about kShadowBlur points.
    const int radius = std::max(1, int(std::lround(kShadowBlur / (3 * kCell))));
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(alpha, h, w, w, 1, radius);
        boxPass(alpha, w, 1, h, w, radius);
    }
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(cells.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgba(0, 0, 0,
                            static_cast<int>(
                                std::lround(255 * kShadowOpacity * alpha[std::size_t(y) * w + x])));
    }
    return cells;
}

QImage premultiplied(const QImage& content) {
    return content.format() == QImage::Format_ARGB32_Premultiplied
               ? content
               : content.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Which point each of `pixels` device pixels along a side belongs to.
std::vector<int> pointOfPixel(int pixels, double ratio, int points) {
    std::vector<int> point(pixels);
    for (int p = 0; p < pixels; ++p)
        point[p] = std::min(points - 1, int(p / ratio));
    return point;
}

}  // namespace

QImage withShadow(const QImage& content) {
    QImage image = premultiplied(content);
    // Past a size no screen shows whole, the shadow is left out rather than slow every paint.
    if (image.isNull() || qsizetype{image.width()} * image.height() > kLargestShadowed)
        return image;
    // The shadow stretched back to the content's size, a little lower, behind it.
    QImage out = image.copy();
    const double ratio = image.devicePixelRatio();
    QPainter painter(&out);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOver);
    painter.drawImage(QRectF(0, kShadowOffset, image.width() / ratio, image.height() / ratio),
                      shadowOf(image));
    painter.end();
    // It shows around the drawing, not through it (inside a translucent card it would darken the
    // card): where the content and its four neighbours are drawn on, the content stays as it is.
    const int width = image.width();
    const int height = image.height();
    for (int y = 1; y + 1 < height; ++y) {
        const auto* above = reinterpret_cast<const QRgb*>(image.constScanLine(y - 1));
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        const auto* below = reinterpret_cast<const QRgb*>(image.constScanLine(y + 1));
        auto* target = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 1; x + 1 < width; ++x) {
            if (qAlpha(line[x]) != 0 && qAlpha(line[x - 1]) != 0 && qAlpha(line[x + 1]) != 0 &&
                qAlpha(above[x]) != 0 && qAlpha(below[x]) != 0)
                target[x] = line[x];
        }
    }
    return out;
}

// Decided point by point, since a window's mask is in points: a point at least half opaque on
// average is shown, every device pixel of it opaque in its own colour (or the point's, where it
// has none).
QImage cutOut(const QImage& content, QRegion* mask) {
    const QImage image = premultiplied(content);
    const double ratio = image.devicePixelRatio();
    const int width = image.width();
    const int height = image.height();
    const int w = int(std::ceil(width / ratio - 1e-9));
    const int h = int(std::ceil(height / ratio - 1e-9));
    QImage points = image.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    std::vector<QRect> runs;  // rows of maximal runs: the banded form QRegion keeps
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(points.scanLine(y));
        for (int x = 0, runStart = -1; x <= w; ++x) {
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
    // Straight colours; a pixel made opaque or clear reads the same premultiplied or not.
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int py = 0; py < height; ++py) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(py));
        const auto* pointLine = reinterpret_cast<const QRgb*>(points.constScanLine(row[py]));
        for (int px = 0; px < width; ++px) {
            const QRgb point = pointLine[column[px]];
            line[px] = point == 0 ? 0 : qAlpha(line[px]) == 0 ? point : line[px] | 0xff000000u;
        }
    }
    out.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(ratio);
    if (mask != nullptr) {
        *mask = QRegion();
        if (!runs.empty())
            mask->setRects(runs.data(), int(runs.size()));
    }
    return out;
}

}  // namespace corkwallery::surface
