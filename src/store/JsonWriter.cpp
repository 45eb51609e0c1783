#include "store/JsonWriter.h"

#include <cmath>

#include "platform/Log.h"
#include "platform/Utf8.h"

namespace corkwallery {

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

platform::Result<void> JsonWriter::writeString(std::string_view key, std::string_view value) {
    if (!platform::utf8::isValid(value))
        return platform::Error{platform::Error::Kind::Invalid, "not valid UTF-8"};
    appendKey(key);
    appendString(value);
    return platform::Result<void>::success();
}

platform::Result<void> JsonWriter::writeNumber(std::string_view key, double value) {
    if (!std::isfinite(value))
        return platform::Error{platform::Error::Kind::Invalid,
                               platform::formatDouble(value) + " is not a JSON number"};
    appendKey(key);
    text_ += platform::formatDouble(value, platform::WholeNumberStyle::Bare);
    return platform::Result<void>::success();
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
