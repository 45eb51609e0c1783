#pragma once

#include <gtest/gtest.h>

#include "decode/PhotoDecoder.h"
#include "support/TestFiles.h"

namespace corkwallery::testing {

// What a picture file gives.
struct Decoded {
    std::optional<QSize> natural;  // upright, once opened; none: it does not open
    std::optional<platform::Error::Kind> failure = {};  // none: it decodes
    const char* refusal = "";  // why it is refused unread, after its path; "" when it is tried
    QImage upright = {};       // its pixels in sRGB; null: not compared
    int tolerance = 10;        // levels in any channel, alpha included
};

// Expects `path` to open with the natural size of `want` and its decode at `asked` pixels on the
// longer side (0: all) to give `want`: a failure of the kind wanted, its message naming the file
// (with the refusal's reason when it is refused); a decode holds the natural size, no unusable
// profile, the pixels scaled to fit `asked`, and the colours of `upright` amid each quarter.
inline void expectDecodes(const std::filesystem::path& path, int asked, const Decoded& want) {
    auto file = PhotoDecoder::open(path);
    EXPECT_EQ(file ? std::optional(file.value().naturalSize()) : std::nullopt, want.natural);
    const auto photo = file ? PhotoDecoder::decode(std::move(file).value(), asked)
                            : PhotoDecoder::Result<Photo>(file.error());
    if (want.failure) {
        ASSERT_FALSE(photo);
        EXPECT_EQ(photo.error().kind, *want.failure);
        EXPECT_TRUE(photo.error().message.starts_with(path.string() + ": " + want.refusal))
            << photo.error().message;
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
