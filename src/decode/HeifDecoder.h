#pragma once

#include <QByteArray>
#include <memory>

#include "decode/LibraryDecoder.h"

struct heif_context;
struct heif_image_handle;

namespace corkwallery {

// HEIF (HEVC, as phones write it) and AVIF through libheif. The file's primary picture, turned
// and mirrored as its irot and imir say (EXIF orientation is not applied: those are
// authoritative); a stored thumbnail stands in for it where one is large enough. The header is
// read through the file's own reads, so only the boxes it needs are read.
class HeifDecoder final : public LibraryDecoder {
public:
    explicit HeifDecoder(QIODevice& file);
    ~HeifDecoder() override;

    // Whether `start`, the file's first bytes, begins a HEIF or AVIF file.
    static bool recognises(const QByteArray& start);

    bool readHeader() override;
    QSize size() const override;
    qint64 decodeBytes(int longerSide, int leastSide) const override;
    QImage decode(int longerSide, int leastSide) override;

private:
    struct HandleRelease {
        void operator()(const heif_image_handle* handle) const;
    };
    using Handle = std::unique_ptr<heif_image_handle, HandleRelease>;

    // The primary picture, or its smallest thumbnail with at least `leastSide` pixels.
    Handle source(int leastSide) const;

    QIODevice& file_;
    std::shared_ptr<heif_context> context_;
    Handle primary_;
};

}  // namespace corkwallery
