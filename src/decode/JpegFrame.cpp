#include "decode/JpegFrame.h"

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

qint64 JpegFrame::dcDecodeBytes() const {
    return coefficientBytes() / 64 + area(eighth()) * 4;
}

}  // namespace corkwallery
