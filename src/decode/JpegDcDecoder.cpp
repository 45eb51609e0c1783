#include "decode/JpegDcDecoder.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "decode/ColourProfile.h"

namespace corkwallery {

namespace {

constexpr int kStartOfImage = 0xD8;
constexpr int kEndOfImage = JpegBitReader::kEndOfImage;
constexpr int kStartOfScan = 0xDA;

bool isRestart(int marker) {
    return marker >= 0xD0 && marker <= 0xD7;
}

// Frame headers: every SOFn but the codes JPEG gives to tables and extensions.
bool isFrame(int marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool hasSegment(int marker) {
    return !isRestart(marker) && marker != kStartOfImage && marker != kEndOfImage && marker != 0x01;
}

int ceilDiv(int a, int b) {
    return (a + b - 1) / b;
}

std::size_t area(QSize size) {
    return static_cast<std::size_t>(size.width()) * static_cast<std::size_t>(size.height());
}

// A block's average level from its DC coefficient, as libjpeg's 1x1 inverse DCT computes it.
std::uint8_t level(std::int16_t dc, int quant) {
    return static_cast<std::uint8_t>(
        std::clamp(static_cast<int>((static_cast<long long>(dc) * quant + 4) >> 3) + 128, 0, 255));
}

}  // namespace

std::optional<JpegFrame> JpegDcDecoder::readFrame() {
    if (in_.byte() != 0xFF || in_.byte() != kStartOfImage)
        return std::nullopt;
    for (int marker = in_.nextMarker(); marker != kEndOfImage && marker != kStartOfScan;
         marker = in_.nextMarker()) {
        if (!hasSegment(marker))
            continue;
        const auto data = in_.segment();
        if (!data)
            break;
        if (isFrame(marker))
            return readFrameHeader(marker, *data) ? std::optional(frame_) : std::nullopt;
        if (!tables_.read(marker, *data))
            break;
    }
    return std::nullopt;
}

int JpegDcDecoder::countScans() {
    int scans = 0;
    for (int marker = in_.nextMarker(); marker != kEndOfImage; marker = in_.nextMarker()) {
        scans += marker == kStartOfScan ? 1 : 0;
        if (hasSegment(marker) && !in_.segment())
            break;
    }
    return scans;
}

QImage JpegDcDecoder::decodeEighth() {
    if (!frame_.dcDecodable)
        return {};
    const std::size_t count = frame_.components.size();
    try {
        dc_.resize(count);
        reduced_.resize(count);
        for (std::size_t k = 0; k < count; ++k) {
            const std::size_t blocks = area(frame_.paddedBlocks(frame_.components[k]));
            dc_[k].assign(blocks, 0);
            if (frame_.eighthScale(frame_.components[k]) > 1)
                reduced_[k].assign(blocks, {});
        }
    } catch (const std::bad_alloc&) {
        return {};
    }
    predictor_.assign(count, 0);
    quant_.assign(count, std::nullopt);
    bool dcScanned = false;
    for (int marker = in_.nextMarker(); marker != kEndOfImage; marker = in_.nextMarker()) {
        if (!hasSegment(marker))
            continue;
        const auto data = in_.segment();
        if (!data)
            break;
        if (marker == kStartOfScan ? !decodeScan(*data, dcScanned) : !tables_.read(marker, *data))
            return {};
    }
    const auto decoded = dcScanned ? planes() : std::nullopt;
    if (!decoded)
        return {};
    QImage image = JpegColourConverter::toImage(frame_, *decoded, *space_);
    ColourProfile::tag(image, tables_.iccProfile());
    return image;
}

bool JpegDcDecoder::readFrameHeader(int marker, const Bytes& d) {
    if (d.size() < 6)
        return false;
    const int precision = d[0];
    const int height = d[1] << 8 | d[2];
    const int width = d[3] << 8 | d[4];
    const std::size_t count = d[5];
    if (width == 0 || height == 0 || count == 0 || d.size() < 6 + 3 * count)
        return false;
    frame_.size = QSize(width, height);
    frame_.components.clear();
    for (std::size_t i = 0; i < count; ++i) {
        const JpegFrame::Component c{d[6 + 3 * i], d[7 + 3 * i] >> 4, d[7 + 3 * i] & 15,
                                     d[8 + 3 * i]};
        if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4 || c.quantTable > 3)
            return false;
        frame_.components.push_back(c);
    }
    frame_.progressive = marker == 0xC2 || marker == 0xCA;  // Huffman or arithmetic
    frame_.dcDecodable = marker == 0xC2 && precision == 8 && (count == 1 || count == 3) &&
                         std::all_of(frame_.components.begin(), frame_.components.end(),
                                     [&](const auto& c) { return frame_.eighthScale(c) <= 2; });
    return true;
}

// A DC scan sets each block's coefficient (the first) or one more bit of it (a refinement). An
// AC scan is decoded only for a component scaled by 2, and otherwise left for nextMarker() to
// skip. Once the data of an interval runs out, its remaining blocks stay as they are, as libjpeg
// leaves them.
bool JpegDcDecoder::decodeScan(const Bytes& d, bool& dcScanned) {
    const std::size_t count = d.empty() ? 0 : d[0];
    if (count < 1 || count > 4 || d.size() < 4 + 2 * count)
        return false;
    const auto& all = frame_.components;
    std::vector<std::size_t> members;
    std::vector<int> tables;
    for (std::size_t i = 0; i < count; ++i) {
        const auto match = std::find_if(all.begin(), all.end(), [&](const JpegFrame::Component& c) {
            return c.id == d[1 + 2 * i];
        });
        if (match == all.end())
            return false;
        members.push_back(static_cast<std::size_t>(match - all.begin()));
        tables.push_back(d[2 + 2 * i]);
    }
    const int start = d[1 + 2 * count], end = d[2 + 2 * count];
    const int high = d[3 + 2 * count] >> 4, low = d[3 + 2 * count] & 15;
    if (!space_)
        space_ = tables_.space(frame_);
    for (const std::size_t k : members) {
        if (!quant_[k])
            quant_[k] = tables_.quantization(all[k].quantTable);
    }
    in_.alignToByte();
    std::fill(predictor_.begin(), predictor_.end(), 0);
    endOfBands_ = 0;

    if (start != 0) {
        const std::size_t k = members[0];
        if (count != 1 || reduced_[k].empty() || end < start || end > 63 || low > 13)
            return true;
        if ((tables[0] & 15) > 3 || !tables_.ac(tables[0] & 15))
            return false;
        const auto& table = tables_.ac(tables[0] & 15);
        const auto stride = static_cast<std::size_t>(frame_.paddedBlocks(all[k]).width());
        forEachUnit(members, [&](std::size_t, int x, int y) {
            reduced_[k][static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x)].decode(
                in_, *table, start, end, low, high != 0, endOfBands_);
        });
        return true;
    }
    if (end != 0 || low > 13)
        return false;
    const bool first = high == 0;
    for (std::size_t i = 0; i < count && first; ++i) {
        if ((tables[i] >> 4) > 3 || !tables_.dc(tables[i] >> 4))
            return false;
    }
    dcScanned = dcScanned || first;
    std::vector<std::size_t> strides;
    strides.reserve(count);
    for (const std::size_t k : members)
        strides.push_back(static_cast<std::size_t>(frame_.paddedBlocks(all[k]).width()));
    forEachUnit(members, [&](std::size_t i, int x, int y) {
        const std::size_t k = members[i];
        std::int16_t& coefficient =
            dc_[k][static_cast<std::size_t>(y) * strides[i] + static_cast<std::size_t>(x)];
        if (!first) {
            if (in_.bit() != 0)
                coefficient = static_cast<std::int16_t>(coefficient | 1 << low);
            return;
        }
        const int difference = in_.signedBits(in_.decode(*tables_.dc(tables[i] >> 4)));
        predictor_[k] = static_cast<std::int16_t>(predictor_[k] + difference);
        coefficient = static_cast<std::int16_t>(predictor_[k] * (1 << low));
    });
    return true;
}

// Calls block(member, x, y) for every block of a scan, in its order: one component alone is
// coded block by block over its own extent; several in units of each one's h x v blocks. Blocks
// whose data ran out are passed over without a call, so an empty scan costs next to nothing.
template <typename Block>
void JpegDcDecoder::forEachUnit(const std::vector<std::size_t>& members, const Block& block) {
    const std::size_t count = members.size();
    const JpegFrame::Component& one = frame_.components[members[0]];
    const int hMax = frame_.maxSampling().width(), vMax = frame_.maxSampling().height();
    const int across = count == 1 ? ceilDiv(ceilDiv(frame_.size.width() * one.h, hMax), 8)
                                  : ceilDiv(frame_.size.width(), 8 * hMax);
    const int down = count == 1 ? ceilDiv(ceilDiv(frame_.size.height() * one.v, vMax), 8)
                                : ceilDiv(frame_.size.height(), 8 * vMax);
    const qint64 total = static_cast<qint64>(across) * down;
    const int interval = tables_.restartInterval();
    for (qint64 unit = 0; unit < total; ++unit) {
        if (interval > 0 && unit > 0 && unit % interval == 0) {
            in_.restart();
            std::fill(predictor_.begin(), predictor_.end(), 0);
            endOfBands_ = 0;
        }
        if (in_.atMarker()) {
            if (in_.dataEnded() || interval == 0)
                return;
            unit += interval - 1 - unit % interval;  // to the interval's last unit
            continue;
        }
        const int x = static_cast<int>(unit % across), y = static_cast<int>(unit / across);
        if (count == 1) {
            block(0, x, y);
            continue;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const JpegFrame::Component& c = frame_.components[members[i]];
            for (int v = 0; v < c.v; ++v) {
                for (int h = 0; h < c.h; ++h)
                    block(i, x * c.h + h, y * c.v + v);
            }
        }
    }
}

// Each component's samples: a block's level from its DC coefficient, or its 2 x 2 pixels.
std::optional<std::vector<JpegColourConverter::Plane>> JpegDcDecoder::planes() const {
    std::vector<JpegColourConverter::Plane> planes(frame_.components.size());
    try {
        for (std::size_t k = 0; k < planes.size(); ++k) {
            const QSize blocks = frame_.paddedBlocks(frame_.components[k]);
            const int scale = reduced_[k].empty() ? 1 : 2;
            auto& plane = planes[k];
            plane.width = blocks.width() * scale;
            plane.height = blocks.height() * scale;
            plane.samples.resize(area(blocks) * static_cast<std::size_t>(scale * scale));
            const auto& quant = quant_[k] ? *quant_[k] : JpegReducedBlock::Quantization{};
            for (std::size_t i = 0; i < dc_[k].size(); ++i) {
                if (scale == 1) {
                    plane.samples[i] = level(dc_[k][i], quant[0]);
                    continue;
                }
                const auto pixels = reduced_[k][i].samples(dc_[k][i], quant);
                const std::size_t x = 2 * (i % static_cast<std::size_t>(blocks.width()));
                const std::size_t y = 2 * (i / static_cast<std::size_t>(blocks.width()));
                const auto width = static_cast<std::size_t>(plane.width);
                std::copy_n(pixels.begin(), 2,
                            plane.samples.begin() + static_cast<std::ptrdiff_t>(y * width + x));
                std::copy_n(
                    pixels.begin() + 2, 2,
                    plane.samples.begin() + static_cast<std::ptrdiff_t>((y + 1) * width + x));
            }
        }
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    return planes;
}

}  // namespace corkwallery
