#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Result.h"

namespace corkwallery {

// A compact JSON writer for the state file: no whitespace between tokens, every "/" written as
// "\/", control characters escaped, other UTF-8 passed through, numbers in their shortest
// round-trip form with no fractional part on whole numbers ("640", "-0"). Writes that would not
// give valid JSON (a NaN or an infinity, a string that is not valid UTF-8) fail (Invalid, "not
// valid UTF-8", "nan is not a JSON number") and write nothing.
class JsonWriter {
public:
    void beginArray();
    void endArray();
    void beginObject();
    void endObject();

    // Members of the object being written.
    platform::Result<void> writeString(std::string_view key, std::string_view value);
    platform::Result<void> writeNumber(std::string_view key, double value);
    void writeBoolean(std::string_view key, bool value);

    std::string takeText() { return std::move(text_); }

private:
    void separate();
    void appendKey(std::string_view key);
    void appendString(std::string_view value);

    std::string text_;
    std::vector<bool> containerIsEmpty_;  // one entry per open array or object
};

}  // namespace corkwallery
