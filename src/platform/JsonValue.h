#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace corkwallery::platform {

// One parsed JSON value: null, a Boolean, a number (as a double), a string (UTF-8), an array or
// an object. Object members keep their document order, duplicates included.
class JsonValue {
public:
    enum class Kind { Null, Boolean, Number, String, Array, Object };
    using Array = std::vector<JsonValue>;
    using Member = std::pair<std::string, JsonValue>;
    using Object = std::vector<Member>;

    JsonValue() = default;
    explicit JsonValue(bool value) : value_(value) {}
    explicit JsonValue(double value) : value_(value) {}
    explicit JsonValue(std::string value) : value_(std::move(value)) {}
    explicit JsonValue(Array value) : value_(std::move(value)) {}
    explicit JsonValue(Object value) : value_(std::move(value)) {}

    Kind kind() const { return static_cast<Kind>(value_.index()); }

    // Each accessor requires the matching kind.
    bool asBoolean() const { return std::get<bool>(value_); }
    double asNumber() const { return std::get<double>(value_); }
    const std::string& asString() const { return std::get<std::string>(value_); }
    const Array& asArray() const { return std::get<Array>(value_); }
    const Object& asObject() const { return std::get<Object>(value_); }

    // The member of an object with this key, or null when there is none. When a key occurs more
    // than once the last occurrence wins, as in most JSON readers.
    const JsonValue* member(std::string_view key) const;

private:
    // Alternatives in the order of Kind.
    std::variant<std::monostate, bool, double, std::string, Array, Object> value_;
};

}  // namespace corkwallery::platform
