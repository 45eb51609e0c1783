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

JpegColourConverter::JpegColourConverter(const JpegFrame& frame, Space space)
    : space_(space), rowsPerMcu_(frame.maxSampling().height()) {
    const auto& components = frame.components;
    const int hMax = frame.maxSampling().width(), out = frame.eighth().width();
    for (std::size_t k = 0; k < std::min<std::size_t>(components.size(), 3); ++k) {
        const int scale = frame.eighthScale(components[k]);
        const int step = components[k].h * scale;
        const int width = frame.paddedBlocks(components[k]).width() * scale;
        rowStep_.push_back(components[k].v * scale);
        auto& columns = columns_.emplace_back();
        for (int x = 0; x < out; ++x)
            columns.push_back(std::min(x * step / hMax, width - 1));
    }
}

void JpegColourConverter::convert(const std::vector<Plane>& planes, QImage& image,
                                  int firstRow) const {
    const std::size_t count = std::min(planes.size(), columns_.size());
    const int lastRow = std::min(firstRow + rowsPerMcu_, image.height());
    for (int y = firstRow; y < lastRow; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::array<const std::uint8_t*, 3> rows{};
        for (std::size_t k = 0; k < count; ++k) {
            const int row =
                std::min((y - firstRow) * rowStep_[k] / rowsPerMcu_, planes[k].height - 1);
            rows[k] = planes[k].samples.data() + static_cast<std::size_t>(row) * planes[k].width;
        }
        for (int x = 0; x < image.width(); ++x) {
            std::array<int, 3> s{};
            for (std::size_t k = 0; k < count; ++k)
                s[k] = rows[k][columns_[k][static_cast<std::size_t>(x)]];
            if (space_ == Space::Grey) {
                line[x] = qRgb(s[0], s[0], s[0]);
            } else if (space_ == Space::Rgb) {
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
}

}  // namespace corkwallery
