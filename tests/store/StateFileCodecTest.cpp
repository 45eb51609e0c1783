#include "store/StateFileCodec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <unordered_set>

#include "store/CodingKeys.h"
#include "support/RecordPrinting.h"

namespace corkwallery {
namespace {

PinnedPhotoState beach() {
    return {"0C9E3A4B-5D71-4F0E-9A2B-7E8F6D5C4B3A-beach.jpg",
            "/Users/me/Pictures/beach.jpg",
            640,
            412.5,
            300,
            225,
            -0.0523,
            "red",
            false};
}

constexpr const char* kBeachJson =
    R"({"storedFilename":"0C9E3A4B-5D71-4F0E-9A2B-7E8F6D5C4B3A-beach.jpg","originalPath":)"
    R"("\/Users\/me\/Pictures\/beach.jpg","centerX":640,"centerY":412.5,"baseWidth":300,)"
    R"("baseHeight":225,"rotationAngle":-0.0523,"pinColorName":"red","isLocked":false})";

// A valid element with one member's JSON text replaced, or dropped when `value` is null.
std::string element(const std::string& key = "", const char* value = nullptr) {
    std::string text;
    for (const auto& [name, json] :
         std::vector<std::pair<std::string, std::string>>{{"storedFilename", "\"A.jpg\""},
                                                          {"originalPath", "\"\""},
                                                          {"centerX", "640"},
                                                          {"centerY", "1"},
                                                          {"baseWidth", "2"},
                                                          {"baseHeight", "3"},
                                                          {"rotationAngle", "0"},
                                                          {"pinColorName", "\"red\""},
                                                          {"isLocked", "true"}}) {
        if (name != key || value != nullptr)
            text += (text.empty() ? "{\"" : ",\"") + name + "\":" + (name == key ? value : json);
    }
    return text + "}";
}

TEST(StateFileCodec, WritesCompactGoldenText) {
    PinnedPhotoState escaped = beach();
    escaped.storedFilename = "q\"b\\s/\u00c9t\u00e9.jpg";
    escaped.originalPath = std::string("\n\t\r\b\f\x01\x1f\x7f", 8);
    PinnedPhotoState numbers = beach();
    numbers.centerX = -0.0;
    numbers.centerY = 1000000;
    numbers.baseWidth = 0.1;
    numbers.baseHeight = 1e300;
    numbers.rotationAngle = 0.13962634015954636;
    numbers.isLocked = true;

    EXPECT_EQ(StateFileCodec::encode({}).value(), "[]");
    EXPECT_EQ(StateFileCodec::encode({beach(), beach()}).value(),
              std::string("[") + kBeachJson + "," + kBeachJson + "]");
    EXPECT_EQ(StateFileCodec::encode({escaped, numbers}).value(),
              R"([{"storedFilename":"q\"b\\s\/)"
              "\u00c9t\u00e9.jpg"
              R"(","originalPath":"\n\t\r\b\f\u0001\u001f)"
              "\x7f"
              R"(","centerX":640,"centerY":412.5,"baseWidth":300,"baseHeight":225,)"
              R"("rotationAngle":-0.0523,"pinColorName":"red","isLocked":false},)"
              R"({"storedFilename":"0C9E3A4B-5D71-4F0E-9A2B-7E8F6D5C4B3A-beach.jpg",)"
              R"("originalPath":"\/Users\/me\/Pictures\/beach.jpg","centerX":-0,)"
              R"("centerY":1000000,"baseWidth":0.1,"baseHeight":1e+300,)"
              R"("rotationAngle":0.13962634015954636,"pinColorName":"red","isLocked":true}])");
}

TEST(StateFileCodec, AValueThatIsNotJsonFailsTheWholeEncoding) {
    const auto failing = [](auto change) {
        PinnedPhotoState bad = beach();
        change(bad);
        return StateFileCodec::encode({beach(), bad}).error();
    };
    EXPECT_EQ(failing([](auto& s) { s.rotationAngle = std::nan(""); }),
              "invalid value for 'rotationAngle' in element 1: nan is not a JSON number");
    EXPECT_EQ(failing([](auto& s) { s.centerX = -std::numeric_limits<double>::infinity(); }),
              "invalid value for 'centerX' in element 1: -inf is not a JSON number");
    EXPECT_EQ(failing([](auto& s) { s.storedFilename = "\xed\xa0\x80.jpg"; }),  // a surrogate
              "invalid value for 'storedFilename' in element 1: not valid UTF-8");
}

TEST(StateFileCodec, ReadingFailsAsAWholeNamingKindAndPlace) {
    const std::string valid = element();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"[" + element("isLocked") + "]", "missing key 'isLocked' in element 0"},
        {"[" + valid + "," + element("centerX", "\"640\"") + "," + valid + "]",
         "wrong type for 'centerX' in element 1: expected a number"},
        {"[" + element("isLocked", "1") + "]",
         "wrong type for 'isLocked' in element 0: expected a boolean"},
        {"[" + element("isLocked", "\"false\"") + "]",
         "wrong type for 'isLocked' in element 0: expected a boolean"},
        {"[" + element("isLocked", "1").erase(1, 25) + "]",  // the first failing field wins
         "missing key 'storedFilename' in element 0"},
        {"[" + element("originalPath", "null") + "]",
         "null value for 'originalPath' in element 0: expected a string"},
        {"[" + valid + ",[]]", "wrong type for element 1: expected an object"},
        {valid, "expected an array at the top level"},
        {"",
         "invalid JSON at byte 1: syntax error while parsing value - unexpected end of "
         "input; expected '[', '{', or a literal"},
        {("[" + valid).substr(0, 26),
         "invalid JSON at byte 27: syntax error while parsing "
         "object - unexpected end of input; expected '}'"},
        {"[" + valid + ",]", "invalid JSON at byte " + std::to_string(valid.size() + 3) +
                                 ": syntax error while parsing value - unexpected ']'; "
                                 "expected '[', '{', or a literal"},
        {std::string("[]\0[", 4), "invalid JSON at byte 3: NUL byte"},
        {"[" + element("centerX", "1e400") + "]",
         "invalid JSON at byte 60: number overflow parsing '1e400'"},
        {"[\"[[\"," + std::string(64, '[') + std::string(65, ']'),
         "invalid JSON at byte 70: nesting deeper than 64 levels"},
        {"[" + std::string(63, '[') + std::string(64, ']'),  // 64 levels still parse
         "wrong type for element 0: expected an object"},
    };
    for (const auto& [json, error] : cases) {
        const auto decoded = StateFileCodec::decode(json);
        ASSERT_FALSE(decoded.ok()) << json;
        EXPECT_EQ(decoded.error(), error) << json;
    }
}

TEST(StateFileCodec, ReadsAnyNumberFormAnyKeyOrderAndExtraKeys) {
    EXPECT_TRUE(StateFileCodec::decode(" [ ] ").value().empty());
    for (const char* number : {"640", "640.0", "6.4e2", "6.4E+2", "64000e-2"}) {
        const auto decoded = StateFileCodec::decode("[" + element("centerX", number) + "]");
        ASSERT_TRUE(decoded.ok()) << number;
        EXPECT_EQ(decoded.value().at(0).centerX, 640.0) << number;
    }
    const auto decoded = StateFileCodec::decode(R"( [ { "isLocked" : false, "note" : [ {}, null ],
        "pinColorName" : "purple", "rotationAngle" : -1, "baseHeight" : 2, "baseWidth" : 3,
        "centerY" : 4, "centerX" : 0, "centerX" : 5, "originalPath" : "", "storedFilename" : ""
        } ] )");
    ASSERT_TRUE(decoded.ok()) << decoded.error();
    EXPECT_EQ(decoded.value(), std::vector<PinnedPhotoState>(
                                   {{"", "", 5, 4, 3, 2, -1, "purple", false}}));  // last key wins
}

TEST(StateFileCodec, RecordsSurviveARoundTripUnchanged) {
    const std::vector<PinnedPhotoState> states = {
        beach(),
        {"6F1D-\u00c9t\u00e9 \u00e0 la mer \u6771\u4eac \U0001F4F7.jpg", "/a//b/\"q\"\\c/", 1.0 / 3,
         -2.0 / 7, 5e-324, 1.7976931348623157e308, 0.13962634015954636, "", true},
    };
    EXPECT_EQ(StateFileCodec::decode(StateFileCodec::encode(states).value()).value(), states);
}

TEST(CodingKeys, TextsInFieldOrderExactMatchAndPositionalIdentity) {
    std::string texts;
    for (const CodingKeys key : CodingKeys::allKeys) {
        texts += std::string(key.text()) + " ";
        EXPECT_EQ(CodingKeys::fromText(key.text()), key);
    }
    EXPECT_EQ(texts,
              "storedFilename originalPath centerX centerY baseWidth baseHeight "
              "rotationAngle pinColorName isLocked ");
    for (const char* text : {"islocked", "isLocked ", "", "0"})
        EXPECT_EQ(CodingKeys::fromText(text), std::nullopt) << text;
    const std::unordered_set<CodingKeys> keys(CodingKeys::allKeys.begin(),
                                              CodingKeys::allKeys.end());
    EXPECT_EQ(keys.size(), CodingKeys::kCount);
}

}  // namespace
}  // namespace corkwallery
