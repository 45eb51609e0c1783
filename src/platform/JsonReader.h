#pragma once

#include <cstddef>
#include <string_view>

#include "platform/JsonValue.h"
#include "platform/Result.h"

namespace corkwallery::platform {

// Strict RFC 8259 reading: one JSON value with optional whitespace around it, no comments,
// trailing commas or other extensions, valid UTF-8 only, no number that overflows a double, no
// NUL byte anywhere and no nesting deeper than kMaxDepth arrays and objects. Errors read
// "invalid JSON at byte N: <what>", N counting from 1.
class JsonReader {
public:
    static constexpr std::size_t kMaxDepth = 64;

    static Result<JsonValue> parse(std::string_view text);
};

}  // namespace corkwallery::platform
