#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Result.h"
#include "store/PinnedPhotoState.h"

// The state file's text: a JSON array with one object per record, keys in field order. Both
// directions are all or nothing and report failure as an error text; neither logs. Plain C++, so
// it is fuzzed without a display (fuzz/).
namespace corkwallery::StateFileCodec {

// Fails when a value cannot be written as JSON (a NaN or an infinity, a string that is not valid
// UTF-8): "invalid value for '<key>' in element <i>: ...".
platform::Result<std::string> encode(const std::vector<PinnedPhotoState>& states);

// Fails on invalid JSON, a top level that is not an array, an element that is not an object, or
// a missing, null or wrongly typed key ("missing key '<key>' in element <i>", ...). Keys other
// than the nine are ignored.
platform::Result<std::vector<PinnedPhotoState>> decode(std::string_view bytes);

}  // namespace corkwallery::StateFileCodec
