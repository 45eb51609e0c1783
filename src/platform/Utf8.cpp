#include "platform/Utf8.h"

namespace corkwallery::platform::utf8 {

namespace {

// The length of the well-formed character at the start of `text`, or 0 when none starts there;
// `valid` gets how many of its bytes are a well-formed beginning (at least 1).
std::size_t characterAt(std::string_view text, std::size_t& valid) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(0);
    valid = 1;
    std::size_t length = 1;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < 2 || byte(1) < low || byte(1) > high)
        return 0;
    for (valid = 2; valid < length; ++valid) {
        if (valid >= text.size() || byte(valid) < 0x80 || byte(valid) > 0xBF)
            return 0;
    }
    return length;
}

}  // namespace

bool isValid(std::string_view text) {
    for (std::size_t i = 0, valid = 0; i < text.size();) {
        const std::size_t length = characterAt(text.substr(i), valid);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string repaired(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0, valid = 0; i < text.size();) {
        const std::size_t length = characterAt(text.substr(i), valid);
        if (length == 0) {
            out += "\uFFFD";
            i += valid;
        } else {
            out += text.substr(i, length);
            i += length;
        }
    }
    return out;
}

std::string_view prefix(std::string_view text, std::size_t bytes) {
    if (text.size() <= bytes)
        return text;
    std::size_t cut = bytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;  // never in the middle of a character
    return text.substr(0, cut);
}

}  // namespace corkwallery::platform::utf8
