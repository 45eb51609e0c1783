#include "platform/Log.h"

#include <cstdio>
#include <string>

namespace corkwallery::platform {

namespace {

// Control characters are written as escapes, so a path holding a line feed cannot print a line
// of its own. Other bytes, UTF-8 included, pass unchanged.
std::string escapedControls(std::string_view line) {
    std::string out;
    out.reserve(line.size());
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            static const char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
    }
    return out;
}

}  // namespace

void logLine(std::string_view line) {
    const std::string text = escapedControls(line);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace corkwallery::platform
