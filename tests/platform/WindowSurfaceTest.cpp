#include "platform/WindowSurface.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

namespace corkwallery::platform {
namespace {

// 60 x 40 points: a red square 20 points wide at 60 % alpha, beside a blue one at 40 %, each with
// a grey pixel of 90 % alpha in its middle, on nothing.
QImage content(int ratio) {
    QImage image(60 * ratio, 40 * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.fillRect(QRectF(10, 10, 20, 20), QColor(255, 0, 0, 153));
    painter.fillRect(QRectF(30, 10, 20, 20), QColor(0, 0, 255, 102));
    painter.end();
    image.setPixel(20 * ratio, 20 * ratio, qPremultiply(qRgba(100, 100, 100, 230)));
    return image;
}

// Without a compositor: what is at least half opaque shows, fully opaque in its own colour; the
// rest is cut away, and the mask (in points) is exactly what shows.
TEST(WindowSurface, WithoutACompositorShowsOpaqueWhatIsAtLeastHalfDrawn) {
    for (const int ratio : {1, 2}) {
        SCOPED_TRACE(ratio);
        WindowSurface surface;
        ASSERT_TRUE(surface.update(content(ratio), false, true));
        const QImage& image = surface.image();
        EXPECT_EQ(image.devicePixelRatio(), ratio);
        EXPECT_TRUE(surface.mask().xored(QRegion(10, 10, 20, 20)).isEmpty());
        EXPECT_EQ(image.pixel(15 * ratio, 15 * ratio), qRgb(255, 0, 0));
        EXPECT_EQ(image.pixel(20 * ratio, 20 * ratio), qRgb(100, 100, 100));
        for (const QPoint point : {QPoint(35, 15), QPoint(5, 35), QPoint(15, 32)})
            EXPECT_EQ(qAlpha(image.pixel(point * ratio)), 0) << point.x() << "," << point.y();
    }
}

// With a compositor: the drawing unchanged over a black shadow from its own alpha, a little
// lower, fading out within the room it is given; or the drawing alone.
TEST(WindowSurface, WithACompositorCastsASoftShadowBelowWhatIsDrawn) {
    QImage opaque(100, 80, QImage::Format_ARGB32_Premultiplied);
    opaque.fill(Qt::transparent);
    QPainter(&opaque).fillRect(QRect(30, 20, 40, 30), QColor(20, 200, 60));
    WindowSurface surface;
    ASSERT_TRUE(surface.update(opaque, true, true));
    const QImage& image = surface.image();
    EXPECT_TRUE(surface.mask().isEmpty());
    EXPECT_EQ(image.pixel(50, 35), qRgb(20, 200, 60));
    const QRgb below = image.pixel(50, 52);
    const QRgb above = image.pixel(50, 18);
    EXPECT_EQ(qRed(below) | qGreen(below) | qBlue(below), 0);
    EXPECT_GT(qAlpha(below), qAlpha(above));
    EXPECT_LE(qAlpha(below), 255 * WindowSurface::kShadowOpacity);
    EXPECT_GT(qAlpha(above), 0);
    const int room = static_cast<int>(WindowSurface::kShadowRoom);
    EXPECT_EQ(qAlpha(image.pixel(50, 50 + room)), 0);
    EXPECT_EQ(qAlpha(image.pixel(30 - room, 35)), 0);

    ASSERT_TRUE(surface.update(opaque, true, false));
    EXPECT_EQ(surface.image(), opaque);
}

// A window that is painted again without change is not composed again.
TEST(WindowSurface, ComposesAgainOnlyWhenContentOrCompositorChanged) {
    WindowSurface surface;
    EXPECT_TRUE(surface.update(content(1), true, true));
    EXPECT_FALSE(surface.update(content(1), true, true));
    EXPECT_TRUE(surface.update(content(1), false, true));
    QImage changed = content(1);
    changed.setPixel(0, 0, qRgba(0, 0, 0, 255));
    EXPECT_TRUE(surface.update(changed, false, true));
    EXPECT_TRUE(surface.update(content(2), false, true));
}

}  // namespace
}  // namespace corkwallery::platform
