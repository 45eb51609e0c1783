#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string_view>

#include "platform/Result.h"

namespace corkwallery::JsonReader {

inline constexpr int kMaxDepth = 64;

// Strict RFC 8259 reading with nlohmann-json: one value with optional whitespace around it, no
// comments, trailing commas or other extensions, valid UTF-8 only, no number that overflows a
// double (1e400), no NUL byte anywhere (nlohmann would stop reading at one) and no nesting deeper
// than kMaxDepth (deeper values overflow the stack when copied). Errors read
// "invalid JSON at byte N: <what>", N counting from 1. Negative zero keeps its sign.
platform::Result<nlohmann::json> parse(std::string_view text);

}  // namespace corkwallery::JsonReader
