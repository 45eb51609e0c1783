#include "platform/DoubleFormat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace corkwallery::platform {

namespace {

// Past these decimal exponents the text switches to exponent form, as most printers do.
constexpr int kSmallestPlainExponent = -5;
constexpr int kLargestPlainExponent = 21;

// Lays out the shortest digits (from scientific to_chars output) in fixed notation.
std::string plainFromScientific(std::string_view sci) {
    const bool negative = !sci.empty() && sci.front() == '-';
    if (negative)
        sci.remove_prefix(1);
    const auto ePos = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, ePos)) {
        if (c != '.')
            digits.push_back(c);
    }
    const int exponent = std::atoi(std::string(sci.substr(ePos + 1)).c_str());
    const int pointPos = exponent + 1;  // digits before the decimal point

    std::string out = negative ? "-" : "";
    if (pointPos <= 0) {
        out += "0." + std::string(static_cast<size_t>(-pointPos), '0') + digits;
    } else if (static_cast<size_t>(pointPos) >= digits.size()) {
        out += digits + std::string(static_cast<size_t>(pointPos) - digits.size(), '0');
    } else {
        out += digits.substr(0, static_cast<size_t>(pointPos)) + "." +
               digits.substr(static_cast<size_t>(pointPos));
    }
    return out;
}

}  // namespace

std::string formatDouble(double value, WholeNumberStyle style) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";

    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::scientific);
    const std::string_view sci(buffer.data(), static_cast<size_t>(result.ptr - buffer.data()));

    const int exponent = value == 0 ? 0 : std::atoi(sci.data() + sci.find('e') + 1);
    std::string text;
    if (exponent < kSmallestPlainExponent || exponent > kLargestPlainExponent) {
        // Shortest general form, e.g. 1e+300 or 5e-324.
        const auto general = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
        text.assign(buffer.data(), general.ptr);
        return text;
    }
    text = plainFromScientific(sci);
    if (style == WholeNumberStyle::KeepPointZero && text.find('.') == std::string::npos) {
        text += ".0";
    }
    return text;
}

}  // namespace corkwallery::platform
