#include "platform/JsonReader.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corkwallery::platform {

namespace {

using Json = nlohmann::json;

// Builds a JsonValue straight from nlohmann-json's parser events, refusing to open a container
// past the depth limit (deep values would overflow the stack when copied or destroyed).
class TreeBuilder {
public:
    // The parser reads "-0" as the integer 0; the numbers of the text that are "-0", in order,
    // give the sign back.
    explicit TreeBuilder(std::vector<bool> negativeZeros)
        : negativeZeros_(std::move(negativeZeros)) {}

    bool null() { return add(JsonValue()); }
    bool boolean(bool value) { return add(JsonValue(value)); }
    bool number_integer(Json::number_integer_t value) {
        const bool negativeZero = nextNumberIsNegativeZero();
        return add(JsonValue(negativeZero ? -0.0 : static_cast<double>(value)));
    }
    bool number_unsigned(Json::number_unsigned_t value) {
        nextNumberIsNegativeZero();
        return add(JsonValue(static_cast<double>(value)));
    }
    bool number_float(Json::number_float_t value, const Json::string_t&) {
        nextNumberIsNegativeZero();
        return add(JsonValue(value));
    }
    bool string(Json::string_t& value) { return add(JsonValue(std::move(value))); }
    bool binary(Json::binary_t&) { return false; }  // JSON text has no binary values
    bool start_object(std::size_t) { return open(true); }
    bool key(Json::string_t& name) {
        frames_.back().key = std::move(name);
        return true;
    }
    bool end_object() { return close(); }
    bool start_array(std::size_t) { return open(false); }
    bool end_array() { return close(); }
    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& error) {
        errorByte_ = position;
        errorText_ = reason(error.what());
        return false;
    }

    bool depthExceeded() const { return depthExceeded_; }
    std::size_t errorByte() const { return errorByte_; }
    const std::string& errorText() const { return errorText_; }
    JsonValue takeRoot() { return std::move(*root_); }

private:
    struct Frame {
        bool isObject;
        JsonValue::Array elements;
        JsonValue::Object members;
        std::string key;
    };

    bool open(bool isObject) {
        if (frames_.size() >= JsonReader::kMaxDepth) {
            depthExceeded_ = true;
            return false;
        }
        frames_.push_back(Frame{isObject, {}, {}, {}});
        return true;
    }

    bool close() {
        Frame frame = std::move(frames_.back());
        frames_.pop_back();
        return add(frame.isObject ? JsonValue(std::move(frame.members))
                                  : JsonValue(std::move(frame.elements)));
    }

    bool add(JsonValue value) {
        if (frames_.empty()) {
            root_ = std::move(value);
        } else if (Frame& parent = frames_.back(); parent.isObject) {
            parent.members.emplace_back(std::move(parent.key), std::move(value));
        } else {
            parent.elements.push_back(std::move(value));
        }
        return true;
    }

    // "[json.exception.parse_error.101] parse error at line 1, column 2: syntax error ..." gives
    // "syntax error ...": the byte position replaces line and column.
    static std::string reason(std::string_view what) {
        if (const auto end = what.find("] ");
            what.starts_with("[json.exception.") && end != std::string_view::npos)
            what.remove_prefix(end + 2);
        if (what.starts_with("parse error at line ")) {
            if (const auto colon = what.find(": "); colon != std::string_view::npos)
                what.remove_prefix(colon + 2);
        }
        return std::string(what);
    }

    bool nextNumberIsNegativeZero() {
        const std::size_t i = numbersRead_++;
        return i < negativeZeros_.size() && negativeZeros_[i];
    }

    std::vector<bool> negativeZeros_;
    std::size_t numbersRead_ = 0;
    std::vector<Frame> frames_;
    std::optional<JsonValue> root_;
    bool depthExceeded_ = false;
    std::size_t errorByte_ = 0;
    std::string errorText_;
};

// The 1-based byte of the first bracket that opens a container deeper than `limit`; the parser
// has read the text up to there without error, so strings are well formed.
std::size_t byteOfFirstContainerDeeperThan(std::string_view text, std::size_t limit) {
    std::size_t depth = 0;
    bool inString = false;
    bool escaped = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit)
                return i + 1;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return text.size() + 1;
}

// For each number of the text, in order, whether it is "-0"; empty when the text holds none.
std::vector<bool> negativeZeroNumbers(std::string_view text) {
    std::vector<bool> numbers;
    if (text.find("-0") == std::string_view::npos)
        return numbers;
    bool inString = false;
    bool escaped = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            std::size_t end = i;
            while (end < text.size() &&
                   std::string_view("0123456789+-.eE").find(text[end]) != std::string_view::npos)
                ++end;
            numbers.push_back(text.substr(i, end - i) == "-0");
            i = end - 1;
        }
    }
    return numbers;
}

std::string invalidJson(std::size_t byte, std::string_view what) {
    return "invalid JSON at byte " + std::to_string(byte) + ": " + std::string(what);
}

}  // namespace

Result<JsonValue> JsonReader::parse(std::string_view text) {
    // nlohmann-json stops reading at a NUL byte and would accept "[]\0garbage".
    if (const auto nul = text.find('\0'); nul != std::string_view::npos)
        return Result<JsonValue>::failure(invalidJson(nul + 1, "NUL byte"));

    TreeBuilder builder(negativeZeroNumbers(text));
    const bool parsed = Json::sax_parse(text.begin(), text.end(), &builder,
                                        Json::input_format_t::json, /*strict=*/true,
                                        /*ignore_comments=*/false);
    if (builder.depthExceeded()) {
        return Result<JsonValue>::failure(
            invalidJson(byteOfFirstContainerDeeperThan(text, kMaxDepth),
                        "nesting deeper than " + std::to_string(kMaxDepth) + " levels"));
    }
    if (!parsed)
        return Result<JsonValue>::failure(invalidJson(builder.errorByte(), builder.errorText()));
    return Result<JsonValue>::success(builder.takeRoot());
}

}  // namespace corkwallery::platform
