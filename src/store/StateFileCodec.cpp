#include "store/StateFileCodec.h"

#include <nlohmann/json.hpp>
#include <optional>

#include "platform/Log.h"
#include "store/JsonReader.h"
#include "store/JsonWriter.h"

namespace corkwallery::StateFileCodec {

namespace {

using Json = nlohmann::json;

// Positions of the keys in CodingKeys.
constexpr std::size_t StoredFilename = 0, OriginalPath = 1, CenterX = 2, CenterY = 3, BaseWidth = 4,
                      BaseHeight = 5, RotationAngle = 6, PinColorName = 7, IsLocked = 8;

std::string where(std::size_t key, std::size_t element) {
    return "'" + std::string(CodingKeys[key]) + "' in element " + std::to_string(element);
}

// Writes one record's nine keys in field order; the first failure stops it.
std::optional<std::string> encodeRecord(const PinnedPhotoState& s, std::size_t element,
                                        JsonWriter& writer) {
    std::optional<std::string> error;
    const auto string = [&](std::size_t key, const std::string& value) {
        if (!writer.writeString(CodingKeys[key], value))
            error = "invalid value for " + where(key, element) + ": not valid UTF-8";
        return !error;
    };
    const auto number = [&](std::size_t key, double value) {
        if (!writer.writeNumber(CodingKeys[key], value))
            error = "invalid value for " + where(key, element) + ": " +
                    platform::formatDouble(value) + " is not a JSON number";
        return !error;
    };
    writer.beginObject();
    if (string(StoredFilename, s.storedFilename) && string(OriginalPath, s.originalPath) &&
        number(CenterX, s.centerX) && number(CenterY, s.centerY) &&
        number(BaseWidth, s.baseWidth) && number(BaseHeight, s.baseHeight) &&
        number(RotationAngle, s.rotationAngle) && string(PinColorName, s.pinColorName))
        writer.writeBoolean(CodingKeys[IsLocked], s.isLocked);
    writer.endObject();
    return error;
}

// Required, typed reads of one element's keys; the first failure is kept in error. Strings are
// moved out of the element, which is read once.
struct ElementReader {
    Json::object_t& members;
    std::size_t element;
    std::string error;

    Json* require(std::size_t key, bool (Json::*isKind)() const noexcept, const char* expected) {
        const auto found = members.find(CodingKeys[key]);
        if (found == members.end())
            error = "missing key " + where(key, element);
        else if (found->second.is_null())
            error = "null value for " + where(key, element) + ": expected " + expected;
        else if (!(found->second.*isKind)())
            error = "wrong type for " + where(key, element) + ": expected " + expected;
        else
            return &found->second;
        return nullptr;
    }
    bool read(std::size_t key, std::string& out) {
        Json* value = require(key, &Json::is_string, "a string");
        if (value != nullptr)
            out = std::move(value->get_ref<std::string&>());
        return value != nullptr;
    }
    bool read(std::size_t key, double& out) {
        const Json* value = require(key, &Json::is_number, "a number");
        if (value != nullptr)
            out = value->get<double>();
        return value != nullptr;
    }
    bool read(std::size_t key, bool& out) {
        const Json* value = require(key, &Json::is_boolean, "a boolean");
        if (value != nullptr)
            out = value->get<bool>();
        return value != nullptr;
    }
};

}  // namespace

platform::Result<std::string> encode(const std::vector<PinnedPhotoState>& states) {
    JsonWriter writer;
    writer.beginArray();
    for (std::size_t i = 0; i < states.size(); ++i) {
        if (auto error = encodeRecord(states[i], i, writer))
            return platform::Result<std::string>::failure(std::move(*error));
    }
    writer.endArray();
    return platform::Result<std::string>::success(writer.takeText());
}

platform::Result<std::vector<PinnedPhotoState>> decode(std::string_view bytes) {
    using Outcome = platform::Result<std::vector<PinnedPhotoState>>;
    auto parsed = JsonReader::parse(bytes);
    if (!parsed)
        return Outcome::failure(parsed.error());
    Json& root = parsed.value();
    if (!root.is_array())
        return Outcome::failure("expected an array at the top level");

    std::vector<PinnedPhotoState> states;
    states.reserve(root.size());
    for (Json& element : root) {
        const std::size_t index = states.size();
        if (!element.is_object())
            return Outcome::failure("wrong type for element " + std::to_string(index) +
                                    ": expected an object");
        ElementReader reader{element.get_ref<Json::object_t&>(), index, {}};
        PinnedPhotoState s;
        if (!reader.read(StoredFilename, s.storedFilename) ||
            !reader.read(OriginalPath, s.originalPath) || !reader.read(CenterX, s.centerX) ||
            !reader.read(CenterY, s.centerY) || !reader.read(BaseWidth, s.baseWidth) ||
            !reader.read(BaseHeight, s.baseHeight) ||
            !reader.read(RotationAngle, s.rotationAngle) ||
            !reader.read(PinColorName, s.pinColorName) || !reader.read(IsLocked, s.isLocked))
            return Outcome::failure(reader.error);
        states.push_back(std::move(s));
        reader.members.clear();  // element by element: nlohmann-json frees a whole tree slowly
    }
    return Outcome::success(std::move(states));
}

}  // namespace corkwallery::StateFileCodec
