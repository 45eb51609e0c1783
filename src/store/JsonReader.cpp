#include "store/JsonReader.h"

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace corkwallery::JsonReader {

namespace {

using Json = nlohmann::json;

// Builds the value from the parser's events, refusing to open a container past the depth limit
// (deeper values would overflow the stack when copied or destroyed).
class TreeBuilder final : public nlohmann::json_sax<Json> {
public:
    bool null() override { return add(nullptr); }
    bool boolean(bool value) override { return add(value); }
    // Only "-0" reaches here as zero ("0" is unsigned); the parser drops its sign.
    bool number_integer(number_integer_t value) override {
        return value == 0 ? add(-0.0) : add(value);
    }
    bool number_unsigned(number_unsigned_t value) override { return add(value); }
    bool number_float(number_float_t value, const string_t&) override { return add(value); }
    // A copy, not a move: the parser's buffer keeps its room for the next string.
    bool string(string_t& value) override { return add(value); }
    bool binary(binary_t&) override { return false; }  // JSON text has no binary values
    bool start_object(std::size_t) override { return open(Json::object()); }
    bool key(string_t& name) override {
        key_ = std::move(name);
        return true;
    }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(Json::array()); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& error) override {
        errorByte_ = position;
        errorText_ = reason(error.what());
        return false;
    }

    bool depthExceeded() const { return depthExceeded_; }
    std::size_t errorByte() const { return errorByte_; }
    const std::string& errorText() const { return errorText_; }
    Json takeRoot() { return std::move(root_); }

private:
    // Places the value in the open container, or as the root; gives where it now lies.
    Json* place(Json&& value) {
        if (open_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        Json& parent = *open_.back();
        if (auto* elements = parent.get_ptr<Json::array_t*>())
            return &elements->emplace_back(std::move(value));
        // A repeated key: the last one wins.
        return &parent.get_ref<Json::object_t&>()
                    .insert_or_assign(key_, std::move(value))
                    .first->second;
    }
    bool add(Json value) {
        place(std::move(value));
        return true;
    }
    bool open(Json container) {
        if (open_.size() >= static_cast<std::size_t>(kMaxDepth)) {
            depthExceeded_ = true;
            return false;
        }
        open_.push_back(place(std::move(container)));
        return true;
    }
    bool close() {
        open_.pop_back();
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

    Json root_;
    std::vector<Json*> open_;
    std::string key_;
    bool depthExceeded_ = false;
    std::size_t errorByte_ = 0;
    std::string errorText_;
};

// The 1-based byte of the first bracket that opens a container deeper than kMaxDepth; the parser
// has read the text up to there without error, so strings are well formed.
std::size_t byteOfFirstTooDeepContainer(std::string_view text) {
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else
                inString = c != '"';
        } else if (c == '"') {
            inString = true;
        } else if ((c == '[' || c == '{') && ++depth > kMaxDepth) {
            return i + 1;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return text.size() + 1;
}

platform::Error invalidJson(std::size_t byte, std::string_view what) {
    return {platform::Error::Kind::Invalid,
            "invalid JSON at byte " + std::to_string(byte) + ": " + std::string(what)};
}

}  // namespace

platform::Result<Json> parse(std::string_view text) {
    // nlohmann-json stops reading at a NUL byte and would accept "[]\0garbage".
    if (const auto nul = text.find('\0'); nul != std::string_view::npos)
        return invalidJson(nul + 1, "NUL byte");
    TreeBuilder builder;
    const bool parsed = Json::sax_parse(text.begin(), text.end(), &builder,
                                        nlohmann::detail::input_format_t::json, /*strict=*/true,
                                        /*ignore_comments=*/false);
    if (builder.depthExceeded())
        return invalidJson(byteOfFirstTooDeepContainer(text),
                           "nesting deeper than " + std::to_string(kMaxDepth) + " levels");
    if (!parsed)
        return invalidJson(builder.errorByte(), builder.errorText());
    return platform::Result<Json>::success(builder.takeRoot());
}

}  // namespace corkwallery::JsonReader
