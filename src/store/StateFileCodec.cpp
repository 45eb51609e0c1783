#include "store/StateFileCodec.h"

#include <cstddef>

#include "platform/DoubleFormat.h"
#include "platform/JsonReader.h"
#include "platform/JsonValue.h"
#include "store/CodingKeys.h"
#include "store/JsonWriter.h"

namespace corkwallery {

namespace {

using platform::JsonValue;

std::string where(CodingKeys key, std::size_t element) {
    return "'" + std::string(key.text()) + "' in element " + std::to_string(element);
}

// Writes one record's nine keys in field order; the first failure stops it.
std::optional<std::string> encodeRecord(const PinnedPhotoState& s, std::size_t element,
                                        JsonWriter& writer) {
    std::optional<std::string> error;
    const auto string = [&](CodingKeys key, const std::string& value) {
        if (!writer.writeString(key.text(), value))
            error = "invalid value for " + where(key, element) + ": not valid UTF-8";
        return !error;
    };
    const auto number = [&](CodingKeys key, double value) {
        if (!writer.writeNumber(key.text(), value))
            error = "invalid value for " + where(key, element) + ": " +
                    platform::formatDouble(value) + " is not a JSON number";
        return !error;
    };
    writer.beginObject();
    if (string(CodingKeys::storedFilename, s.storedFilename) &&
        string(CodingKeys::originalPath, s.originalPath) &&
        number(CodingKeys::centerX, s.centerX) && number(CodingKeys::centerY, s.centerY) &&
        number(CodingKeys::baseWidth, s.baseWidth) &&
        number(CodingKeys::baseHeight, s.baseHeight) &&
        number(CodingKeys::rotationAngle, s.rotationAngle) &&
        string(CodingKeys::pinColorName, s.pinColorName)) {
        writer.writeBoolean(CodingKeys::isLocked.text(), s.isLocked);
    }
    writer.endObject();
    return error;
}

// Required, typed reads of one element's keys; the first failure is kept in error().
class ElementReader {
public:
    ElementReader(const JsonValue& object, std::size_t element)
        : object_(object), element_(element) {}

    bool string(CodingKeys key, std::string& out) {
        const JsonValue* value = require(key, JsonValue::Kind::String, "a string");
        if (value)
            out = value->asString();
        return value != nullptr;
    }
    bool number(CodingKeys key, double& out) {
        const JsonValue* value = require(key, JsonValue::Kind::Number, "a number");
        if (value)
            out = value->asNumber();
        return value != nullptr;
    }
    bool boolean(CodingKeys key, bool& out) {
        const JsonValue* value = require(key, JsonValue::Kind::Boolean, "a boolean");
        if (value)
            out = value->asBoolean();
        return value != nullptr;
    }

    const std::string& error() const { return error_; }

private:
    const JsonValue* require(CodingKeys key, JsonValue::Kind kind, const char* expected) {
        const JsonValue* value = object_.member(key.text());
        if (value == nullptr)
            error_ = "missing key " + where(key, element_);
        else if (value->kind() == JsonValue::Kind::Null)
            error_ = "null value for " + where(key, element_) + ": expected " + expected;
        else if (value->kind() != kind)
            error_ = "wrong type for " + where(key, element_) + ": expected " + expected;
        else
            return value;
        return nullptr;
    }

    const JsonValue& object_;
    std::size_t element_;
    std::string error_;
};

}  // namespace

platform::Result<std::string> StateFileCodec::encode(const std::vector<PinnedPhotoState>& states) {
    JsonWriter writer;
    writer.beginArray();
    for (std::size_t i = 0; i < states.size(); ++i) {
        if (auto error = encodeRecord(states[i], i, writer))
            return platform::Result<std::string>::failure(std::move(*error));
    }
    writer.endArray();
    return platform::Result<std::string>::success(writer.takeText());
}

platform::Result<std::vector<PinnedPhotoState>> StateFileCodec::decode(std::string_view bytes) {
    using Outcome = platform::Result<std::vector<PinnedPhotoState>>;
    auto parsed = platform::JsonReader::parse(bytes);
    if (!parsed)
        return Outcome::failure(parsed.error());
    const JsonValue& root = parsed.value();
    if (root.kind() != JsonValue::Kind::Array)
        return Outcome::failure("expected an array at the top level");

    std::vector<PinnedPhotoState> states;
    states.reserve(root.asArray().size());
    for (const JsonValue& element : root.asArray()) {
        const std::size_t index = states.size();
        if (element.kind() != JsonValue::Kind::Object)
            return Outcome::failure("wrong type for element " + std::to_string(index) +
                                    ": expected an object");
        ElementReader reader(element, index);
        PinnedPhotoState s;
        if (!reader.string(CodingKeys::storedFilename, s.storedFilename) ||
            !reader.string(CodingKeys::originalPath, s.originalPath) ||
            !reader.number(CodingKeys::centerX, s.centerX) ||
            !reader.number(CodingKeys::centerY, s.centerY) ||
            !reader.number(CodingKeys::baseWidth, s.baseWidth) ||
            !reader.number(CodingKeys::baseHeight, s.baseHeight) ||
            !reader.number(CodingKeys::rotationAngle, s.rotationAngle) ||
            !reader.string(CodingKeys::pinColorName, s.pinColorName) ||
            !reader.boolean(CodingKeys::isLocked, s.isLocked))
            return Outcome::failure(reader.error());
        states.push_back(std::move(s));
    }
    return Outcome::success(std::move(states));
}

}  // namespace corkwallery
