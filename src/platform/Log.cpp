#include "platform/Log.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace corkwallery::platform {

namespace {

// Control characters are written as escapes, so a path holding a line feed cannot print a line
// of its own. Other bytes, UTF-8 included, pass unchanged.
void appendEscaped(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F)
            out += c;
        else if (c == '\n' || c == '\r' || c == '\t')
            out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
        else
            out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
    }
}

// Past these decimal exponents the text switches to exponent form, as most printers do.
constexpr int kSmallestPlainExponent = -5;
constexpr int kLargestPlainExponent = 21;

// Lays out the shortest digits of scientific to_chars output ("-4.125e+02") in fixed notation.
std::string plainFromScientific(std::string_view sci, int exponent) {
    std::string out;
    if (sci.front() == '-') {
        out = "-";
        sci.remove_prefix(1);
    }
    std::string digits;
    for (const char c : sci.substr(0, sci.find('e'))) {
        if (c != '.')
            digits += c;
    }
    const int point = exponent + 1;  // digits before the decimal point
    if (point <= 0)
        return out + "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
    const auto before = static_cast<std::size_t>(point);
    if (before >= digits.size())
        return out + digits + std::string(before - digits.size(), '0');
    return out + digits.substr(0, before) + "." + digits.substr(before);
}

}  // namespace

void log(std::string_view message) {
    std::string line = "[Corkwallery] ";
    line.reserve(line.size() + message.size() + 1);
    appendEscaped(line, message);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

std::string escaped(std::string_view text) {
    std::string out;
    appendEscaped(out, text);
    return out;
}

std::string formatDouble(double value, WholeNumberStyle style) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    std::array<char, 64> buffer{};
    const auto sci =
        std::to_chars(buffer.begin(), buffer.end(), value, std::chars_format::scientific);
    const std::string_view text(buffer.data(), static_cast<std::size_t>(sci.ptr - buffer.data()));
    const int exponent = value == 0 ? 0 : std::atoi(text.data() + text.find('e') + 1);
    if (exponent < kSmallestPlainExponent || exponent > kLargestPlainExponent) {
        // Shortest general form, e.g. 1e+300 or 5e-324.
        const auto general = std::to_chars(buffer.begin(), buffer.end(), value);
        return std::string(buffer.data(), general.ptr);
    }
    std::string plain = plainFromScientific(text, exponent);
    if (style == WholeNumberStyle::KeepPointZero && plain.find('.') == std::string::npos)
        plain += ".0";
    return plain;
}

}  // namespace corkwallery::platform
