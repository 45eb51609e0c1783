#include "store/JsonWriter.h"

#include <cmath>

#include "platform/Log.h"

namespace corkwallery {

namespace {

// Whether the text is well-formed UTF-8: no overlong forms, surrogates or code points past
// U+10FFFF.
bool isValidUtf8(std::string_view text) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = byte(i);
        std::size_t length = 1;
        unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
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
        } else if (lead >= 0x80) {
            return false;
        }
        if (length > 1 && (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high))
            return false;
        for (std::size_t k = 2; k < length; ++k) {
            if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
                return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

void JsonWriter::beginArray() {
    separate();
    text_ += '[';
    containerIsEmpty_.push_back(true);
}

void JsonWriter::endArray() {
    text_ += ']';
    containerIsEmpty_.pop_back();
}

void JsonWriter::beginObject() {
    separate();
    text_ += '{';
    containerIsEmpty_.push_back(true);
}

void JsonWriter::endObject() {
    text_ += '}';
    containerIsEmpty_.pop_back();
}

bool JsonWriter::writeString(std::string_view key, std::string_view value) {
    if (!isValidUtf8(value))
        return false;
    appendKey(key);
    appendString(value);
    return true;
}

bool JsonWriter::writeNumber(std::string_view key, double value) {
    if (!std::isfinite(value))
        return false;
    appendKey(key);
    text_ += platform::formatDouble(value, platform::WholeNumberStyle::Bare);
    return true;
}

void JsonWriter::writeBoolean(std::string_view key, bool value) {
    appendKey(key);
    text_ += value ? "true" : "false";
}

void JsonWriter::separate() {
    if (!containerIsEmpty_.empty() && !containerIsEmpty_.back())
        text_ += ',';
    if (!containerIsEmpty_.empty())
        containerIsEmpty_.back() = false;
}

void JsonWriter::appendKey(std::string_view key) {
    separate();
    appendString(key);
    text_ += ':';
}

void JsonWriter::appendString(std::string_view value) {
    static constexpr char kHex[] = "0123456789abcdef";
    static constexpr std::string_view kNamed = "\"\"\\\\//\bb\ff\nn\rr\tt";  // character, escape
    text_ += '"';
    for (const char c : value) {
        if (static_cast<unsigned char>(c) >= 0x20 && c != '"' && c != '\\' && c != '/')
            text_ += c;
        else if (const auto named = kNamed.find(c);
                 named != std::string_view::npos && named % 2 == 0)
            text_ += {'\\', kNamed[named + 1]};
        else
            text_ += {'\\', 'u', '0', '0', kHex[(c >> 4) & 0xF], kHex[c & 0xF]};
    }
    text_ += '"';
}

}  // namespace corkwallery
