#include "store/StateFileCodec.h"

#include <nlohmann/json.hpp>

#include "platform/Log.h"
#include "store/JsonReader.h"
#include "store/JsonWriter.h"

namespace corkwallery::StateFileCodec {

namespace {

using Json = nlohmann::json;
using platform::Error;

template <typename... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <typename... F>
Overloaded(F...) -> Overloaded<F...>;

std::string where(const CodingKey& key, std::size_t element) {
    return "'" + std::string(key.name) + "' in element " + std::to_string(element);
}

// Writes one record's keys in field order; the first failure stops it.
platform::Result<void> encodeRecord(const PinnedPhotoState& s, std::size_t element,
                                    JsonWriter& writer) {
    writer.beginObject();
    for (const CodingKey& key : CodingKeys) {
        const Overloaded write{
            [&](std::string PinnedPhotoState::*member) {
                return writer.writeString(key.name, s.*member);
            },
            [&](double PinnedPhotoState::*member) {
                return writer.writeNumber(key.name, s.*member);
            },
            [&](bool PinnedPhotoState::*member) {
                writer.writeBoolean(key.name, s.*member);
                return platform::Result<void>::success();
            },
        };
        const auto written = std::visit(write, key.member);
        if (!written)
            return Error{Error::Kind::Invalid, "invalid value for " + where(key, element) + ": " +
                                                   written.error().message};
    }
    writer.endObject();
    return platform::Result<void>::success();
}

// Reads one element's keys into the record, each required and of its type. Strings are moved out
// of the element, which is read once.
platform::Result<void> decodeRecord(Json::object_t& members, std::size_t element,
                                    PinnedPhotoState& s) {
    for (const CodingKey& key : CodingKeys) {
        const auto [isKind, expected] = std::visit(
            Overloaded{
                [](std::string PinnedPhotoState::*) {
                    return std::pair(&Json::is_string, "a string");
                },
                [](double PinnedPhotoState::*) { return std::pair(&Json::is_number, "a number"); },
                [](bool PinnedPhotoState::*) { return std::pair(&Json::is_boolean, "a boolean"); },
            },
            key.member);
        const auto found = members.find(std::string(key.name));
        if (found == members.end())
            return Error{Error::Kind::Invalid, "missing key " + where(key, element)};
        Json& value = found->second;
        if (value.is_null())
            return Error{Error::Kind::Invalid,
                         "null value for " + where(key, element) + ": expected " + expected};
        if (!(value.*isKind)())
            return Error{Error::Kind::Invalid,
                         "wrong type for " + where(key, element) + ": expected " + expected};
        std::visit(Overloaded{
                       [&](std::string PinnedPhotoState::*member) {
                           s.*member = std::move(value.get_ref<std::string&>());
                       },
                       [&](double PinnedPhotoState::*member) { s.*member = value.get<double>(); },
                       [&](bool PinnedPhotoState::*member) { s.*member = value.get<bool>(); },
                   },
                   key.member);
    }
    return platform::Result<void>::success();
}

}  // namespace

platform::Result<std::string> encode(const std::vector<PinnedPhotoState>& states) {
    JsonWriter writer;
    writer.beginArray();
    for (std::size_t i = 0; i < states.size(); ++i)
        TRY_DO(encodeRecord(states[i], i, writer));
    writer.endArray();
    return platform::Result<std::string>::success(writer.takeText());
}

platform::Result<std::vector<PinnedPhotoState>> decode(std::string_view bytes) {
    TRY(Json root, JsonReader::parse(bytes));
    if (!root.is_array())
        return Error{Error::Kind::Invalid, "expected an array at the top level"};

    std::vector<PinnedPhotoState> states;
    states.reserve(root.size());
    for (Json& element : root) {
        const std::size_t index = states.size();
        if (!element.is_object())
            return Error{Error::Kind::Invalid, "wrong type for element " + std::to_string(index) +
                                                   ": expected an object"};
        auto& members = element.get_ref<Json::object_t&>();
        PinnedPhotoState s;
        TRY_DO(decodeRecord(members, index, s));
        states.push_back(std::move(s));
        members.clear();  // element by element: nlohmann-json frees a whole tree slowly
    }
    return platform::Result<std::vector<PinnedPhotoState>>::success(std::move(states));
}

}  // namespace corkwallery::StateFileCodec
