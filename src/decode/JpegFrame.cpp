#include "decode/JpegFrame.h"

#include "decode/JpegReducedBlock.h"

namespace corkwallery {

namespace {

int ceilDiv(int a, int b) {
    return (a + b - 1) / b;
}

qint64 area(QSize size) {
    return static_cast<qint64>(size.width()) * size.height();
}

}  // namespace

QSize JpegFrame::maxSampling() const {
    QSize most(1, 1);
    for (const Component& c : components)
        most = most.expandedTo(QSize(c.h, c.v));
    return most;
}

QSize JpegFrame::paddedBlocks(const Component& c) const {
    const QSize most = maxSampling();
    return {ceilDiv(size.width(), 8 * most.width()) * c.h,
            ceilDiv(size.height(), 8 * most.height()) * c.v};
}

qint64 JpegFrame::coefficientBytes() const {
    qint64 blocks = 0;
    for (const Component& c : components)
        blocks += area(paddedBlocks(c));
    return blocks * 64 * 2;
}

QSize JpegFrame::eighth() const {
    return {ceilDiv(size.width(), 8), ceilDiv(size.height(), 8)};
}

int JpegFrame::eighthScale(const Component& c) const {
    const QSize most = maxSampling();
    int scale = 1;
    while (scale < 8 && most.width() % (c.h * scale * 2) == 0 &&
           most.height() % (c.v * scale * 2) == 0)
        scale *= 2;
    return scale;
}

// Per block of one row of MCUs: its DC coefficient and samples, and for a component scaled by 2
// the AC coefficients its DCT reads.
qint64 JpegFrame::dcDecodeBytes() const {
    qint64 row = 0;
    for (const Component& c : components) {
        const int scale = eighthScale(c);
        const qint64 perBlock =
            2 + scale * scale + (scale > 1 ? qint64{sizeof(JpegReducedBlock)} : 0);
        row += qint64{paddedBlocks(c).width()} * c.v * perBlock;
    }
    const qint64 perScan =
        JpegBitReader::kBufferBytes + 4 * qint64{sizeof(JpegBitReader::HuffmanTable)};
    return row + area(eighth()) * 4 + kMostScansRead * perScan;
}

}  // namespace corkwallery
