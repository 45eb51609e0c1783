#include "decode/JpegTables.h"

#include <cstring>

namespace corkwallery {

namespace {

constexpr int kHuffmanTables = 0xC4;
constexpr int kQuantizationTables = 0xDB;
constexpr int kRestartInterval = 0xDD;
constexpr int kJfif = 0xE0;
constexpr int kIccProfile = 0xE2;
constexpr int kAdobe = 0xEE;
// Far above any real profile (a few KB; a LUT-based one a few hundred), far below libjpeg's 16 MB.
constexpr qint64 kMaxProfileBytes = qint64{4} << 20;
constexpr char kIccTag[] = "ICC_PROFILE";  // with its terminating zero, 12 bytes

}  // namespace

bool JpegTables::read(int marker, const JpegBitReader::Bytes& d) {
    if (marker >= 0xE0 && marker <= 0xEF) {
        readApplication(marker, d);
        return true;
    }
    const std::size_t size = d.size();
    if (marker == kHuffmanTables) {
        for (std::size_t at = 0; at < size;) {
            if (at + 17 > size)
                return false;
            const int kind = d[at] >> 4, id = d[at] & 15;
            std::size_t total = 0;
            for (std::size_t i = 1; i <= 16; ++i)
                total += d[at + i];
            if (kind > 1 || id > 3 || total > 256 || at + 17 + total > size)
                return false;
            auto table = JpegBitReader::HuffmanTable::build(
                std::span<const std::uint8_t, 16>(d.data() + at + 1, 16),
                std::span<const std::uint8_t>(d.data() + at + 17, total));
            if (!table)
                return false;
            (kind == 0 ? dcTables_ : acTables_)[static_cast<std::size_t>(id)] = std::move(table);
            at += 17 + total;
        }
    } else if (marker == kQuantizationTables) {
        for (std::size_t at = 0; at < size;) {
            const int wide = d[at] >> 4, id = d[at] & 15;
            const std::size_t length = 1 + 64 * (wide != 0 ? 2 : 1);
            if (wide > 1 || id > 3 || at + length > size)
                return false;
            auto& table = quantTables_[static_cast<std::size_t>(id)];
            for (std::size_t k = 0; k < 64; ++k) {
                const std::size_t entry = at + 1 + (wide != 0 ? 2 * k : k);
                table[static_cast<std::size_t>(JpegReducedBlock::kNatural[k])] =
                    static_cast<std::uint16_t>(wide != 0 ? d[entry] << 8 | d[entry + 1] : d[entry]);
            }
            at += length;
        }
    } else if (marker == kRestartInterval && size >= 2) {
        restartInterval_ = d[0] << 8 | d[1];
    }
    return true;
}

// The markers that decide the colour space, as libjpeg reads them, and the pieces of an ICC
// profile, numbered from 1 in each piece's header.
void JpegTables::readApplication(int marker, const JpegBitReader::Bytes& d) {
    if (marker == kJfif && d.size() >= 14 && std::memcmp(d.data(), "JFIF", 5) == 0) {
        jfif_ = true;
    } else if (marker == kAdobe && d.size() >= 12 && std::memcmp(d.data(), "Adobe", 5) == 0) {
        adobeTransform_ = d[11];
    } else if (marker == kIccProfile && d.size() >= 14 &&
               std::memcmp(d.data(), kIccTag, sizeof kIccTag) == 0) {
        const std::size_t sequence = d[12], count = d[13];
        if (iccChunks_.empty())
            iccChunks_.resize(count);
        iccBytes_ += static_cast<qint64>(d.size() - 14);
        if (sequence == 0 || sequence > iccChunks_.size() || count != iccChunks_.size() ||
            !iccChunks_[sequence - 1].isEmpty() || iccBytes_ > kMaxProfileBytes) {
            iccBytes_ = kMaxProfileBytes + 1;  // broken: no profile at all
            return;
        }
        iccChunks_[sequence - 1] = QByteArray(reinterpret_cast<const char*>(d.data() + 14),
                                              static_cast<qsizetype>(d.size() - 14));
    }
}

QByteArray JpegTables::iccProfile() const {
    QByteArray profile;
    if (iccBytes_ > kMaxProfileBytes)
        return profile;
    for (const QByteArray& chunk : iccChunks_) {
        if (chunk.isEmpty())
            return {};
        profile += chunk;
    }
    return profile;
}

}  // namespace corkwallery
