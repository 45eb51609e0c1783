#include "platform/Log.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/CapturedLog.h"

namespace corkwallery::platform {
namespace {

using namespace std::string_literals;

// A name holding a line feed must not print a line of its own.
TEST(Log, PrefixesEveryLineAndEscapesControlCharacters) {
    testing::CapturedLog log;
    platform::log("  Read 2 bytes");
    platform::log("a\n[Corkwallery] forged\x1b\t\r\x7f\0 \u00e9"s);
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{
                  "[Corkwallery]   Read 2 bytes",
                  "[Corkwallery] a\\n[Corkwallery] forged\\x1B\\t\\r\\x7F\\x00 \u00e9"}));
}

TEST(Log, DoublesInShortestRoundTripText) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::tuple<double, const char*, const char*> cases[] = {
        {640, "640.0", "640"},
        {-0.0523, "-0.0523", "-0.0523"},
        {-0.0, "-0.0", "-0"},
        {1000000, "1000000.0", "1000000"},
        {1e21, "1000000000000000000000.0", "1000000000000000000000"},
        {1e22, "1e+22", "1e+22"},
        {1.7976931348623157e308, "1.7976931348623157e+308", "1.7976931348623157e+308"},
        {0.00001, "0.00001", "0.00001"},
        {1.5e-7, "1.5e-07", "1.5e-07"},
        {std::nan(""), "nan", "nan"},
        {-inf, "-inf", "-inf"},
    };
    for (const auto& [value, logText, bareText] : cases) {
        EXPECT_EQ(formatDouble(value), logText);
        EXPECT_EQ(formatDouble(value, WholeNumberStyle::Bare), bareText);
        if (std::isfinite(value)) {
            EXPECT_EQ(std::strtod(bareText, nullptr), value) << bareText;
        }
    }
}

}  // namespace
}  // namespace corkwallery::platform
