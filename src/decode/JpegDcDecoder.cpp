#include "decode/JpegDcDecoder.h"

#include <algorithm>
#include <array>
#include <memory>
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
    quant_.assign(frame_.components.size(), std::nullopt);
    for (int marker = in_.nextMarker(); marker != kEndOfImage; marker = in_.nextMarker()) {
        if (!hasSegment(marker))
            continue;
        const auto data = in_.segment();
        if (!data)
            break;
        scans += marker == kStartOfScan ? 1 : 0;
        if (frame_.dcDecodable && !broken_)
            broken_ = marker == kStartOfScan ? !noteScan(*data) : !tables_.read(marker, *data);
    }
    counted_ = true;
    return scans;
}

QImage JpegDcDecoder::decodeEighth() {
    if (!frame_.dcDecodable)
        return {};
    if (!counted_)
        countScans();
    if (broken_ || !dcScanned_)
        return {};
    const JpegColourConverter converter(frame_, *space_);
    QImage image(frame_.eighth(), QImage::Format_RGB32);
    // Small: one row of MCUs, and a reader per scan.
    std::vector<JpegColourConverter::Plane> planes(frame_.components.size());
    rows_.resize(frame_.components.size());
    for (std::size_t k = 0; k < rows_.size(); ++k) {
        const auto& c = frame_.components[k];
        const int scale = frame_.eighthScale(c);
        Row& row = rows_[k];
        row.stride = frame_.paddedBlocks(c).width();
        const auto blocks = static_cast<std::size_t>(row.stride) * static_cast<std::size_t>(c.v);
        row.dc.resize(blocks);
        row.reduced.resize(scale > 1 ? blocks : 0);
        planes[k].width = row.stride * scale;
        planes[k].height = c.v * scale;
        planes[k].samples.resize(blocks * static_cast<std::size_t>(scale * scale));
    }
    for (Scan& scan : scans_) {
        scan.in = std::make_unique<JpegBitReader>(device_, scan.offset);
        scan.predictor.assign(scan.members.size(), 0);
    }
    if (image.isNull())
        return {};
    const int mcuRows = ceilDiv(frame_.size.height(), 8 * frame_.maxSampling().height());
    for (int mcuRow = 0; mcuRow < mcuRows; ++mcuRow) {
        for (std::size_t k = 0; k < rows_.size(); ++k) {
            Row& row = rows_[k];
            row.first = mcuRow * frame_.components[k].v;
            std::fill(row.dc.begin(), row.dc.end(), 0);
            std::fill(row.reduced.begin(), row.reduced.end(), JpegReducedBlock());
        }
        for (Scan& scan : scans_)
            readRow(scan, mcuRow);
        fillPlanes(planes);
        converter.convert(planes, image, mcuRow * frame_.maxSampling().height());
    }
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

// Notes a scan the eighth reads: a DC scan, or an AC scan of a component scaled by 2; an AC scan
// of any other is left unread. False for a header that is broken or names a missing table.
bool JpegDcDecoder::noteScan(const Bytes& d) {
    const std::size_t count = d.empty() ? 0 : d[0];
    if (count < 1 || count > 4 || d.size() < 4 + 2 * count)
        return false;
    const auto& all = frame_.components;
    Scan scan;
    std::vector<int> selectors;
    for (std::size_t i = 0; i < count; ++i) {
        const auto match = std::find_if(all.begin(), all.end(), [&](const JpegFrame::Component& c) {
            return c.id == d[1 + 2 * i];
        });
        if (match == all.end())
            return false;
        scan.members.push_back(static_cast<std::size_t>(match - all.begin()));
        selectors.push_back(d[2 + 2 * i]);
    }
    scan.start = d[1 + 2 * count];
    scan.end = d[2 + 2 * count];
    scan.refining = (d[3 + 2 * count] >> 4) != 0;
    scan.low = d[3 + 2 * count] & 15;
    if (!space_)
        space_ = tables_.space(frame_);
    for (const std::size_t k : scan.members) {
        if (!quant_[k])
            quant_[k] = tables_.quantization(all[k].quantTable);
    }
    if (scan.start != 0) {
        if (count != 1 || frame_.eighthScale(all[scan.members[0]]) == 1 || scan.end < scan.start ||
            scan.end > 63 || scan.low > 13)
            return true;
        const auto& table = tables_.ac(std::min(selectors[0] & 15, 3));
        if ((selectors[0] & 15) > 3 || !table)
            return false;
        scan.tables.push_back(*table);
    } else {
        if (scan.end != 0 || scan.low > 13)
            return false;
        for (std::size_t i = 0; i < count && !scan.refining; ++i) {
            const auto& table = tables_.dc(std::min(selectors[i] >> 4, 3));
            if ((selectors[i] >> 4) > 3 || !table)
                return false;
            scan.tables.push_back(*table);
        }
        dcScanned_ = dcScanned_ || !scan.refining;
    }
    if (scans_.size() == JpegFrame::kMostScansRead)
        return false;
    scan.restartInterval = tables_.restartInterval();
    scan.offset = in_.position();
    scans_.push_back(std::move(scan));
    return true;
}

// Reads the scan's blocks in one row of MCUs: a DC scan sets each block's coefficient (the first)
// or one more bit of it (a refinement); an AC scan decodes into the reduced blocks.
void JpegDcDecoder::readRow(Scan& scan, int mcuRow) {
    JpegBitReader& in = *scan.in;
    const auto bit = static_cast<std::int16_t>(1 << scan.low);
    if (scan.start != 0) {
        auto& reduced = rows_[scan.members[0]].reduced;
        forEachBlock(scan, mcuRow, [&](std::size_t, std::size_t at) {
            reduced[at].decode(in, scan.tables[0], scan.start, scan.end, scan.low, scan.refining,
                               scan.endOfBands);
        });
    } else if (scan.refining) {
        forEachBlock(scan, mcuRow, [&](std::size_t member, std::size_t at) {
            std::int16_t& dc = rows_[scan.members[member]].dc[at];
            if (in.bit() != 0)
                dc = static_cast<std::int16_t>(dc | bit);
        });
    } else {
        forEachBlock(scan, mcuRow, [&](std::size_t member, std::size_t at) {
            int& predictor = scan.predictor[member];
            predictor = static_cast<std::int16_t>(predictor +
                                                  in.signedBits(in.decode(scan.tables[member])));
            rows_[scan.members[member]].dc[at] = static_cast<std::int16_t>(predictor * bit);
        });
    }
}

// Calls block(member, index in its row) for the scan's blocks in one row of MCUs, in its order:
// one component alone is coded block by block over its own extent; several in units of each
// one's h x v blocks. Once the data of an interval runs out, its remaining blocks are passed over
// and stay as they are, as libjpeg leaves them, so an empty scan costs next to nothing.
template <typename Block>
void JpegDcDecoder::forEachBlock(Scan& scan, int mcuRow, const Block& block) {
    const std::size_t count = scan.members.size();
    const JpegFrame::Component& one = frame_.components[scan.members[0]];
    const int hMax = frame_.maxSampling().width(), vMax = frame_.maxSampling().height();
    const int across = count == 1 ? ceilDiv(ceilDiv(frame_.size.width() * one.h, hMax), 8)
                                  : ceilDiv(frame_.size.width(), 8 * hMax);
    const int down = count == 1 ? ceilDiv(ceilDiv(frame_.size.height() * one.v, vMax), 8)
                                : ceilDiv(frame_.size.height(), 8 * vMax);
    const qint64 end =
        qint64{across} * (count == 1 ? std::min(down, (mcuRow + 1) * one.v) : mcuRow + 1);
    // Where block (x, y) of a component, y counted from the picture's top, lies in its row.
    std::array<Row*, 4> rows{};
    for (std::size_t i = 0; i < count; ++i)
        rows[i] = &rows_[scan.members[i]];
    const auto place = [&](std::size_t member, int x, int y) {
        const Row& row = *rows[member];
        const auto at =
            static_cast<std::size_t>(y - row.first) * static_cast<std::size_t>(row.stride) +
            static_cast<std::size_t>(x);
        if (y >= row.first && x < row.stride && at < row.dc.size())
            block(member, at);
    };
    const int interval = scan.restartInterval;
    JpegBitReader& in = *scan.in;
    int x = static_cast<int>(scan.unit % across), y = static_cast<int>(scan.unit / across);
    for (; scan.unit < end && !scan.ended;
         ++scan.unit, x = x + 1 < across ? x + 1 : 0, y += x == 0 ? 1 : 0) {
        const qint64 unit = scan.unit;
        if (interval > 0 && unit > 0 && unit % interval == 0) {
            in.restart();
            std::fill(scan.predictor.begin(), scan.predictor.end(), 0);
            scan.endOfBands = 0;
        }
        if (in.atMarker()) {
            scan.ended = in.dataEnded() || interval == 0;
            if (!scan.ended) {
                scan.unit += interval - 1 - unit % interval;  // to the interval's last unit
                x = static_cast<int>(scan.unit % across), y = static_cast<int>(scan.unit / across);
            }
            continue;
        }
        if (count == 1) {
            place(0, x, y);
            continue;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const JpegFrame::Component& c = frame_.components[scan.members[i]];
            for (int v = 0; v < c.v; ++v) {
                for (int h = 0; h < c.h; ++h)
                    place(i, x * c.h + h, y * c.v + v);
            }
        }
    }
}

// Each component's samples in the row: a block's level from its DC coefficient, or its 2 x 2
// pixels.
void JpegDcDecoder::fillPlanes(std::vector<JpegColourConverter::Plane>& planes) const {
    for (std::size_t k = 0; k < planes.size(); ++k) {
        const Row& row = rows_[k];
        auto& plane = planes[k];
        const auto& quant = quant_[k] ? *quant_[k] : JpegReducedBlock::Quantization{};
        const auto width = static_cast<std::size_t>(plane.width);
        for (std::size_t i = 0; i < row.dc.size(); ++i) {
            if (row.reduced.empty()) {
                plane.samples[i] = level(row.dc[i], quant[0]);
                continue;
            }
            const auto pixels = row.reduced[i].samples(row.dc[i], quant);
            const std::size_t x = 2 * (i % static_cast<std::size_t>(row.stride));
            const std::size_t y = 2 * (i / static_cast<std::size_t>(row.stride));
            std::copy_n(pixels.begin(), 2,
                        plane.samples.begin() + static_cast<std::ptrdiff_t>(y * width + x));
            std::copy_n(pixels.begin() + 2, 2,
                        plane.samples.begin() + static_cast<std::ptrdiff_t>((y + 1) * width + x));
        }
    }
}

}  // namespace corkwallery
