#include "pins/PinPlacement.h"

#include <gtest/gtest.h>

#include <QLineF>
#include <QRectF>
#include <algorithm>
#include <optional>

// Several photos placed at once, on a small screen (a panel at the bottom) and a large one, from
// the middle and from near a corner: one stands exactly where it was put; more stand side by side,
// inside the screen, apart where the screen has room, none hidden by those placed after it.
namespace corkwallery {
namespace {

QRectF frameAt(QPointF centre, QSizeF size) {
    QRectF frame({}, size);
    frame.moveCenter(centre);
    return frame;
}

// Points of `frame`, every 2 points, that no later frame covers, as an area in square points.
double uncoveredArea(const std::vector<QRectF>& frames, std::size_t i) {
    double area = 0;
    for (double x = frames[i].left() + 1; x < frames[i].right(); x += 2) {
        for (double y = frames[i].top() + 1; y < frames[i].bottom(); y += 2) {
            if (std::none_of(frames.begin() + static_cast<std::ptrdiff_t>(i) + 1, frames.end(),
                             [&](const QRectF& later) { return later.contains(x, y); }))
                area += 4;
        }
    }
    return area;
}

TEST(PinPlacement, SeveralPhotosStandSideBySideNoneHidden) {
    // Landscape, portrait, square and panorama photos at the pins' size.
    const std::vector<QSizeF> mixed{{300, 200}, {225, 300}, {300, 300}, {300, 100},
                                    {300, 169}, {200, 300}, {300, 225}, {240, 300}};
    // A screen, and whether it has room for all eight apart.
    for (const auto& [name, area, roomForAll] :
         {std::tuple{"small", QRectF(0, 32, 800, 568), false},
          std::tuple{"large", QRectF(-200, 0, 2560, 1400), true}}) {
        for (const QPointF from : {area.center(), area.topLeft() + QPointF(40, 60)}) {
            for (std::size_t count = 1; count <= mixed.size(); ++count) {
                SCOPED_TRACE(::testing::Message() << name << " from (" << from.x() << ", "
                                                  << from.y() << "), " << count << " photos");
                const std::vector<QSizeF> sizes(mixed.begin(), mixed.begin() + count);
                const auto centres = PinPlacement::sideBySide(from, sizes, area);
                ASSERT_EQ(centres.size(), count);
                EXPECT_EQ(PinPlacement::sideBySide(from, sizes, area), centres);
                if (count == 1) {
                    EXPECT_EQ(centres[0], from);  // exactly, even near the corner
                    continue;
                }
                std::vector<QRectF> frames;
                QRectF block;
                for (std::size_t i = 0; i < count; ++i) {
                    frames.push_back(frameAt(centres[i], sizes[i]));
                    block = block.isNull() ? frames.back() : block.united(frames.back());
                }
                bool apart = true;
                for (std::size_t i = 0; i < count; ++i) {
                    EXPECT_TRUE(area.adjusted(-1e-9, -1e-9, 1e-9, 1e-9).contains(frames[i])) << i;
                    EXPECT_GE(uncoveredArea(frames, i),
                              std::min(40 * 40.0, sizes[i].width() * sizes[i].height() / 2))
                        << i;
                    for (std::size_t j = i + 1; j < count; ++j)
                        apart = apart && !frames[i].intersects(frames[j]);
                }
                // Two always fit side by side; all eight on the large screen.
                EXPECT_TRUE(apart || !(roomForAll || count == 2));
                // Around the point they were put at, where the screen lets them.
                if (from == area.center()) {
                    EXPECT_NEAR(block.center().x(), from.x(), 1e-9);
                    EXPECT_NEAR(block.center().y(), from.y(), 1e-9);
                }
            }
        }
    }
}

// Where pins are shown as screens come and go; the records never move (PinBoard saves only what
// a gesture changed). Two 1440 x 900 monitors side by side, then the right one gone or a smaller
// one alone. A: at home on the left; B and C: on the right, C just below B; D: left, where B and
// C come in.
TEST(PinPlacement, PinsAreShownWhereScreensLetThemBeSeenAndGoBackToTheirPlaces) {
    const QList<QRectF> both{{0, 0, 1440, 900}, {1440, 0, 1440, 900}};
    const QList<QRectF> left{both[0]};
    const QRectF a = frameAt({700, 450}, {320, 240});
    const QRectF b = frameAt({2100, 450}, {320, 240});
    const QRectF c = frameAt({2100, 420}, {320, 240});
    const QRectF d = frameAt({1270, 450}, {320, 240});
    const QRectF bAway = frameAt({1280, 450}, {320, 240});
    using Shown = std::vector<std::optional<QRectF>>;
    const struct {
        const char* name;
        QList<QRectF> screens;
        std::vector<PinPlacement::Standing> pins;
        Shown expected;  // empty: checked by the rules below instead
    } cases[] = {
        {"all at home", both, {{a, {}}, {b, {}}}, {std::nullopt, std::nullopt}},
        {"no screen at all", {}, {{b, bAway}}, {std::nullopt}},
        {"a piece of 48 points is enough",
         left,
         {{frameAt({1540, 450}, {320, 240}), {}}},
         {std::nullopt}},
        {"unplugged: the nearest place", left, {{a, {}}, {b, {}}}, {std::nullopt, bAway}},
        {"replugged: back home", both, {{a, {}}, {b, bAway}}, {std::nullopt, std::nullopt}},
        {"still unplugged: stays", left, {{a, {}}, {b, bAway}}, {std::nullopt, bAway}},
        {"two come in together", left, {{a, {}}, {b, {}}, {c, {}}}, {}},
        {"onto a pin at home", left, {{d, {}}, {b, {}}, {c, {}}}, {}},
        {"its spot taken meanwhile", left, {{d, {}}, {b, bAway}}, {}},
        {"a smaller screen", {QRectF(0, 0, 1024, 600)}, {{a, {}}, {b, {}}, {c, {}}}, {}},
    };
    for (const auto& [name, screens, pins, expected] : cases) {
        SCOPED_TRACE(name);
        const Shown shown = PinPlacement::whereShown(pins, screens);
        ASSERT_EQ(shown.size(), pins.size());
        if (!expected.empty()) {
            EXPECT_EQ(shown, expected);
            continue;
        }
        // Each pin at home or wholly on the screen nearest its place, none over another.
        std::vector<QRectF> frames;
        for (std::size_t i = 0; i < pins.size(); ++i) {
            frames.push_back(shown[i].value_or(pins[i].place));
            if (shown[i]) {
                EXPECT_TRUE(screens.back().contains(*shown[i])) << i;
            }
            for (std::size_t j = 0; j < i; ++j)
                EXPECT_FALSE(frames[i].intersects(frames[j])) << i << " over " << j;
        }
    }
}

// Photos arriving where pins already stand (a second add at the screen's centre) stand clear of
// them, near where they were put; on an empty desktop, beside the pins or where no place is clear,
// exactly as put.
TEST(PinPlacement, ArrivingPhotosCoverNoPinAlreadyThere) {
    const QRectF screen(0, 0, 1440, 900);
    const QPointF middle = screen.center();
    const QRectF pinThere = frameAt(middle, {340, 290});
    // How many photos, the pins' frames, and whether the photos stand as put.
    const std::tuple<std::size_t, std::vector<QRectF>, bool> cases[] = {
        {1, {}, true},          {2, {frameAt({150, 150}, {200, 200})}, true},
        {1, {pinThere}, false}, {2, {pinThere, frameAt({1000, 650}, {340, 290})}, false},
        {1, {screen}, true},
    };
    for (const auto& [count, taken, asPut] : cases) {
        SCOPED_TRACE(::testing::Message() << count << " photos, " << taken.size() << " pins");
        const std::vector<QSizeF> sizes(count, QSizeF(300, 225));
        const auto centres = PinPlacement::arriving(middle, sizes, screen, taken);
        if (asPut) {
            EXPECT_EQ(centres, PinPlacement::sideBySide(middle, sizes, screen));
            continue;
        }
        for (const QPointF& centre : centres) {
            const QRectF photo = frameAt(centre, QSizeF(300, 225) + QSizeF(32, 32));
            EXPECT_TRUE(screen.contains(photo));
            EXPECT_TRUE(std::none_of(taken.begin(), taken.end(),
                                     [&](const QRectF& pin) { return pin.intersects(photo); }));
            EXPECT_LT(QLineF(centre, middle).length(), 600);
        }
    }
}

TEST(PinPlacement, AreaHoldingAPointIsItsScreensElseTheFirst) {
    const QList<QRectF> screens{{0, 0, 1440, 900}, {1440, 100, 1920, 1080}};
    const QRectF none(0, 0, 1440, 900);
    EXPECT_EQ(PinPlacement::areaHolding({2000, 500}, screens, none), screens[1]);
    EXPECT_EQ(PinPlacement::areaHolding({1439.5, 0}, screens, none), screens[0]);
    EXPECT_EQ(PinPlacement::areaHolding({1500, 50}, screens, none), screens[0]);  // in a gap
    EXPECT_EQ(PinPlacement::areaHolding({5, 5}, {}, QRectF(1, 2, 3, 4)), QRectF(1, 2, 3, 4));
}

}  // namespace
}  // namespace corkwallery
