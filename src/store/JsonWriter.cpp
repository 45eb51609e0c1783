#include "store/JsonWriter.h"

#include <cmath>

#include "platform/DoubleFormat.h"

namespace corkwallery {

namespace {

// Length of the well-formed UTF-8 sequence starting at `i`, or 0 when there is none (overlong
// forms, surrogates and code points past U+10FFFF are not well formed).
std::size_t utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
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
    if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    }
    return length;
}

bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8SequenceLength(text, i);
        if (length == 0)
            return false;
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
    if (containerIsEmpty_.empty())
        return;
    if (!containerIsEmpty_.back())
        text_ += ',';
    containerIsEmpty_.back() = false;
}

void JsonWriter::appendKey(std::string_view key) {
    separate();
    appendString(key);
    text_ += ':';
}

void JsonWriter::appendString(std::string_view value) {
    static constexpr char kHex[] = "0123456789abcdef";
    text_ += '"';
    for (const char c : value) {
        switch (c) {
            case '"':
                text_ += "\\\"";
                break;
            case '\\':
                text_ += "\\\\";
                break;
            case '/':
                text_ += "\\/";
                break;
            case '\b':
                text_ += "\\b";
                break;
            case '\f':
                text_ += "\\f";
                break;
            case '\n':
                text_ += "\\n";
                break;
            case '\r':
                text_ += "\\r";
                break;
            case '\t':
                text_ += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    text_ += "\\u00";
                    text_ += kHex[(c >> 4) & 0xF];
                    text_ += kHex[c & 0xF];
                } else {
                    text_ += c;
                }
        }
    }
    text_ += '"';
}

}  // namespace corkwallery
