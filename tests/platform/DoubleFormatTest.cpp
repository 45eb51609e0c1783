#include "platform/DoubleFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace corkwallery::platform {
namespace {

struct Case {
    double value;
    const char* logText;
    const char* bareText;
};

class DoubleFormatTest : public ::testing::TestWithParam<Case> {};

TEST_P(DoubleFormatTest, WritesShortestRoundTripText) {
    const Case& c = GetParam();
    EXPECT_EQ(formatDouble(c.value), c.logText);
    EXPECT_EQ(formatDouble(c.value, WholeNumberStyle::Bare), c.bareText);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DoubleFormatTest,
    ::testing::Values(Case{640, "640.0", "640"}, Case{412.5, "412.5", "412.5"},
                      Case{-0.0523, "-0.0523", "-0.0523"}, Case{0, "0.0", "0"},
                      Case{-0.0, "-0.0", "-0"}, Case{0.1, "0.1", "0.1"},
                      Case{1000000, "1000000.0", "1000000"},
                      Case{1e21, "1000000000000000000000.0", "1000000000000000000000"},
                      Case{1e300, "1e+300", "1e+300"}, Case{0.00001, "0.00001", "0.00001"},
                      Case{1.5e-7, "1.5e-07", "1.5e-07"},
                      Case{0.13962634015954636, "0.13962634015954636", "0.13962634015954636"}));

TEST(DoubleFormat, EveryTextReadsBackAsTheSameDouble) {
    for (double v :
         {1.0 / 3, -2.0 / 7, 123456.789, 5e-324, 1.7976931348623157e308, 0.30000000000000004}) {
        EXPECT_EQ(std::strtod(formatDouble(v, WholeNumberStyle::Bare).c_str(), nullptr), v)
            << formatDouble(v);
    }
}

TEST(DoubleFormat, NonFiniteValuesHaveNames) {
    EXPECT_EQ(formatDouble(std::nan("")), "nan");
    EXPECT_EQ(formatDouble(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(formatDouble(-std::numeric_limits<double>::infinity()), "-inf");
}

}  // namespace
}  // namespace corkwallery::platform
