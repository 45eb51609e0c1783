#include "platform/RandomSource.h"

#include <gtest/gtest.h>

#include <set>

namespace corkwallery::platform {
namespace {

constexpr double kTilt = 0.13962634015954636;
constexpr std::uint64_t kLast = RandomSource::kIntervalSteps;

TEST(RandomSourceTest, StepsMapOntoTheClosedIntervalWithBothEndsExact) {
    struct Case {
        double a, b;
        std::uint64_t k;
        double expected;
    };
    const Case cases[] =
        {
            {-kTilt, kTilt, 0, -kTilt},      {-kTilt, kTilt, kLast, kTilt},
            {-kTilt, kTilt, kLast / 2, 0.0}, {0.1, 0.7, 0, 0.1},
            {0.1, 0.7, kLast, 0.7},  // a + (b - a) alone gives 0.7000000000000001
            {-5, 3, kLast / 4, -3},
        };
    for (const Case& c : cases)
        EXPECT_EQ(RandomSource::valueAtStep(c.k, c.a, c.b), c.expected) << c.a << " " << c.k;
    EXPECT_GT(RandomSource::valueAtStep(1, -kTilt, kTilt), -kTilt);
    EXPECT_LT(RandomSource::valueAtStep(kLast - 1, -kTilt, kTilt), kTilt);
}

TEST(RandomSourceTest, DrawsStayInsideTheirRangesAndReachEveryInteger) {
    std::set<int> integers;
    for (int i = 0; i < 1000; ++i) {
        const double tilt = RandomSource::uniformDouble(-kTilt, kTilt);
        ASSERT_TRUE(tilt >= -kTilt && tilt <= kTilt) << tilt;
        const int index = RandomSource::uniformInteger(0, 3);
        ASSERT_TRUE(index >= 0 && index <= 3) << index;
        integers.insert(index);
    }
    EXPECT_EQ(integers, (std::set<int>{0, 1, 2, 3}));
}

}  // namespace
}  // namespace corkwallery::platform
