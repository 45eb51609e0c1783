#pragma once

#include <gtest/gtest.h>

#include "decode/PhotoDecoder.h"
#include "support/TestFiles.h"

namespace corkwallery::testing {

// What a picture file gives.
struct Decoded {
    std::optional<QSize> natural;  // upright, from the header alone; none: it tells none
    std::optional<platform::Error::Kind> failure = {};  // none: it decodes
    const char* refusal = "";  // why it is refused unread, after its path; "" when it is tried
    QImage upright = {};       // its pixels in sRGB; null: not compared
    int tolerance = 10;        // levels in any channel, alpha included
};

// Expects `path`'s header and its decode at `asked` pixels on the longer side (0: all) to give
// `want`: the header fails as the decode does; a decode holds the natural size, no unusable
// profile, the pixels scaled to fit `asked`, and the colours of `upright` amid each quarter.
inline void expectDecodes(const std::filesystem::path& path, int asked, const Decoded& want) {
    const platform::Error error{want.failure.value_or(platform::Error::Kind{}),
                                *want.refusal ? path.string() + ": " + want.refusal : ""};
    const auto natural = PhotoDecoder::naturalSize(path);
    EXPECT_EQ(natural ? std::optional(natural.value()) : std::nullopt, want.natural);
    if (!natural) {
        EXPECT_EQ(natural.error(), error);
    }
    const auto photo = PhotoDecoder::decode(path, asked);
    if (want.failure) {
        ASSERT_FALSE(photo);
        EXPECT_EQ(photo.error(), error);
        return;
    }
    ASSERT_TRUE(photo) << photo.error().message;
    EXPECT_EQ(photo.value().naturalSize, QSizeF(*want.natural));
    EXPECT_FALSE(photo.value().unusableProfile);
    // Straight colours, as references hold them.
    const QImage pixels = photo.value().pixels.convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(pixels.size(),
              asked ? want.natural->scaled(asked, asked, Qt::KeepAspectRatio) : *want.natural);
    if (want.upright.isNull())
        return;
    const QImage shown =
        want.upright.scaled(pixels.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (const QPoint quarter : {QPoint(1, 1), QPoint(3, 1), QPoint(1, 3), QPoint(3, 3)}) {
        const QPoint p(quarter.x() * pixels.width() / 4, quarter.y() * pixels.height() / 4);
        const QRgb a = pixels.pixel(p), b = shown.pixel(p);
        EXPECT_LE(std::max(files::difference(a, b), std::abs(qAlpha(a) - qAlpha(b))),
                  want.tolerance)
            << p.x() << "," << p.y();
    }
}

}  // namespace corkwallery::testing
