#include "decode/JpegColourConverter.h"

#include <algorithm>
#include <array>

namespace corkwallery {

namespace {

int channel(int value) {
    return std::clamp(value, 0, 255);
}

}  // namespace

JpegColourConverter::Space JpegColourConverter::spaceOf(const JpegFrame& frame, bool jfif,
                                                        int adobeTransform) {
    const auto& c = frame.components;
    if (c.size() != 3)
        return Space::Grey;
    if (jfif)
        return Space::YCbCr;
    if (adobeTransform >= 0)
        return adobeTransform == 0 ? Space::Rgb : Space::YCbCr;
    return c[0].id == 'R' && c[1].id == 'G' && c[2].id == 'B' ? Space::Rgb : Space::YCbCr;
}

QImage JpegColourConverter::toImage(const JpegFrame& frame, const std::vector<Plane>& planes,
                                    Space space) {
    const QSize out = frame.eighth();
    QImage image(out, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const auto& components = frame.components;
    const std::size_t count = std::min<std::size_t>(planes.size(), 3);
    const int hMax = frame.maxSampling().width(), vMax = frame.maxSampling().height();
    // Which sample each column of pixels shows, per component.
    std::vector<std::vector<int>> columns(count);
    for (std::size_t k = 0; k < count; ++k) {
        const int step = components[k].h * frame.eighthScale(components[k]);
        for (int x = 0; x < out.width(); ++x)
            columns[k].push_back(std::min(x * step / hMax, planes[k].width - 1));
    }
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::array<const std::uint8_t*, 3> rows{};
        for (std::size_t k = 0; k < count; ++k) {
            const int row = std::min(y * components[k].v * frame.eighthScale(components[k]) / vMax,
                                     planes[k].height - 1);
            rows[k] = planes[k].samples.data() + static_cast<std::size_t>(row) * planes[k].width;
        }
        for (int x = 0; x < out.width(); ++x) {
            std::array<int, 3> s{};
            for (std::size_t k = 0; k < count; ++k)
                s[k] = rows[k][columns[k][static_cast<std::size_t>(x)]];
            if (space == Space::Grey) {
                line[x] = qRgb(s[0], s[0], s[0]);
            } else if (space == Space::Rgb) {
                line[x] = qRgb(s[0], s[1], s[2]);
            } else {
                // JFIF's conversion in 16-bit fixed point, rounded.
                const int y16 = s[0] * 65536 + 32768, cb = s[1] - 128, cr = s[2] - 128;
                line[x] = qRgb(channel((y16 + 91881 * cr) >> 16),
                               channel((y16 - 22554 * cb - 46802 * cr) >> 16),
                               channel((y16 + 116130 * cb) >> 16));
            }
        }
    }
    return image;
}

}  // namespace corkwallery
