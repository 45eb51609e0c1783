#include "store/StateFileCodec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "StoreTestSupport.h"

namespace corkwallery {
namespace {

using testing::beachRecord;

constexpr const char* kBeachJson =
    R"({"storedFilename":"0C9E3A4B-5D71-4F0E-9A2B-7E8F6D5C4B3A-beach.jpg",)"
    R"("originalPath":"\/Users\/me\/Pictures\/beach.jpg","centerX":640,"centerY":412.5,)"
    R"("baseWidth":300,"baseHeight":225,"rotationAngle":-0.0523,"pinColorName":"red",)"
    R"("isLocked":false})";

// A valid element with one member's JSON text replaced (or dropped when `value` is null).
std::string element(const std::string& key = "", const char* value = nullptr) {
    std::string text = "{";
    const std::vector<std::pair<std::string, std::string>> members = {
        {"storedFilename", "\"A.jpg\""},
        {"originalPath", "\"/x/A.jpg\""},
        {"centerX", "640"},
        {"centerY", "412.5"},
        {"baseWidth", "300"},
        {"baseHeight", "225"},
        {"rotationAngle", "0.1"},
        {"pinColorName", "\"red\""},
        {"isLocked", "true"}};
    for (const auto& [name, json] : members) {
        if (name == key && value == nullptr)
            continue;
        if (text.size() > 1)
            text += ",";
        text += "\"" + name + "\":" + (name == key ? std::string(value) : json);
    }
    return text + "}";
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

struct EncodeCase {
    const char* name;
    std::vector<PinnedPhotoState> states;
    std::string json;
};

void PrintTo(const EncodeCase& c, std::ostream* out) {
    *out << c.name;
}

class StateFileEncoding : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(StateFileEncoding, WritesCompactTextInFieldOrder) {
    const auto encoded = StateFileCodec::encode(GetParam().states);
    ASSERT_TRUE(encoded.ok()) << encoded.error();
    EXPECT_EQ(encoded.value(), GetParam().json);
}

PinnedPhotoState withStrings(std::string stored, std::string original) {
    PinnedPhotoState s = beachRecord();
    s.storedFilename = std::move(stored);
    s.originalPath = std::move(original);
    return s;
}

PinnedPhotoState withGeometry(double x, double y, double w, double h, double angle) {
    PinnedPhotoState s = beachRecord();
    s.centerX = x;
    s.centerY = y;
    s.baseWidth = w;
    s.baseHeight = h;
    s.rotationAngle = angle;
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Golden, StateFileEncoding,
    ::testing::Values(
        EncodeCase{"Empty", {}, "[]"},
        EncodeCase{"OnePin", {beachRecord()}, std::string("[") + kBeachJson + "]"},
        EncodeCase{"TwoPinsInOrder",
                   {beachRecord(), withStrings("b", "")},
                   std::string("[") + kBeachJson + "," +
                       R"({"storedFilename":"b","originalPath":"","centerX":640,)"
                       R"("centerY":412.5,"baseWidth":300,"baseHeight":225,)"
                       R"("rotationAngle":-0.0523,"pinColorName":"red","isLocked":false}])"},
        EncodeCase{"EscapesAndUtf8",
                   {withStrings("q\"b\\s/\u00c9t\u00e9 \u00e0 la mer.jpg",
                                std::string("\n\t\r\b\f\x01\x1f\x7f", 8))},
                   R"([{"storedFilename":"q\"b\\s\/)"
                   "\u00c9t\u00e9 \u00e0 la mer.jpg"
                   R"(","originalPath":"\n\t\r\b\f\u0001\u001f)"
                   "\x7f"
                   R"(","centerX":640,"centerY":412.5,"baseWidth":300,"baseHeight":225,)"
                   R"("rotationAngle":-0.0523,"pinColorName":"red","isLocked":false}])"},
        EncodeCase{"Numbers",
                   {withGeometry(-0.0, 1000000, 0.1, 1e300, 0.13962634015954636)},
                   R"([{"storedFilename":"0C9E3A4B-5D71-4F0E-9A2B-7E8F6D5C4B3A-beach.jpg",)"
                   R"("originalPath":"\/Users\/me\/Pictures\/beach.jpg","centerX":-0,)"
                   R"("centerY":1000000,"baseWidth":0.1,"baseHeight":1e+300,)"
                   R"("rotationAngle":0.13962634015954636,"pinColorName":"red",)"
                   R"("isLocked":false}])"}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(StateFileEncoding, AValueThatIsNotJsonFailsTheWholeList) {
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        PinnedPhotoState bad;
        std::string error;
    };
    const std::vector<Case> cases = {
        {withGeometry(640, 412.5, 300, 225, nan),
         "invalid value for 'rotationAngle' in element 1: nan is not a JSON number"},
        {withGeometry(-inf, 412.5, 300, 225, 0),
         "invalid value for 'centerX' in element 1: -inf is not a JSON number"},
        {withStrings("ok.jpg", "/bad/\xc3("),
         "invalid value for 'originalPath' in element 1: not valid UTF-8"},
        {withStrings("\xed\xa0\x80.jpg", "/x"),  // an encoded surrogate
         "invalid value for 'storedFilename' in element 1: not valid UTF-8"},
    };
    for (const Case& c : cases) {
        const auto encoded = StateFileCodec::encode({beachRecord(), c.bad, beachRecord()});
        ASSERT_FALSE(encoded.ok()) << c.error;
        EXPECT_EQ(encoded.error(), c.error);
    }
}

struct DecodeFailure {
    const char* name;
    std::string json;
    std::string error;
};

void PrintTo(const DecodeFailure& c, std::ostream* out) {
    *out << c.name;
}

class StateFileDecodingFails : public ::testing::TestWithParam<DecodeFailure> {};

TEST_P(StateFileDecodingFails, AndReturnsNoRecord) {
    const auto decoded = StateFileCodec::decode(GetParam().json);
    ASSERT_FALSE(decoded.ok());
    EXPECT_EQ(decoded.error(), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StateFileDecodingFails,
    ::testing::Values(
        DecodeFailure{"MissingKey", "[" + element("isLocked") + "]",
                      "missing key 'isLocked' in element 0"},
        DecodeFailure{"WrongTypeInSecondOfThree",
                      "[" + element() + "," + element("centerX", "\"640\"") + "," + element() + "]",
                      "wrong type for 'centerX' in element 1: expected a number"},
        DecodeFailure{"FirstFailureInFieldOrder",
                      "[" + replaced(element("baseWidth", "null"), "true", "1") + "]",
                      "null value for 'baseWidth' in element 0: expected a number"},
        DecodeFailure{"LockedAsNumber", "[" + element("isLocked", "1") + "]",
                      "wrong type for 'isLocked' in element 0: expected a boolean"},
        DecodeFailure{"LockedAsString", "[" + element("isLocked", "\"false\"") + "]",
                      "wrong type for 'isLocked' in element 0: expected a boolean"},
        DecodeFailure{"NullString", "[" + element("originalPath", "null") + "]",
                      "null value for 'originalPath' in element 0: expected a string"},
        DecodeFailure{"StringAsNumber", "[" + element("pinColorName", "7") + "]",
                      "wrong type for 'pinColorName' in element 0: expected a string"},
        DecodeFailure{"ElementNotObject", "[" + element() + ",[]]",
                      "wrong type for element 1: expected an object"},
        DecodeFailure{"TopLevelObject", element(), "expected an array at the top level"},
        DecodeFailure{"TopLevelNull", "null", "expected an array at the top level"},
        DecodeFailure{"Empty", "",
                      "invalid JSON at byte 1: syntax error while parsing value - unexpected "
                      "end of input; expected '[', '{', or a literal"},
        DecodeFailure{"CutOff", ("[" + element()).substr(0, 53),
                      "invalid JSON at byte 54: syntax error while parsing object key - "
                      "unexpected end of input; expected string literal"},
        DecodeFailure{"NulByte", std::string("[]\0", 3), "invalid JSON at byte 3: NUL byte"},
        DecodeFailure{"Overflow", "[" + element("centerX", "1e400") + "]",
                      "invalid JSON at byte 68: number overflow parsing '1e400'"},
        DecodeFailure{"TooDeep", std::string(65, '[') + std::string(65, ']'),
                      "invalid JSON at byte 65: nesting deeper than 64 levels"}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(StateFileDecoding, EmptyArrayGivesNoRecords) {
    const auto decoded = StateFileCodec::decode("[]");
    ASSERT_TRUE(decoded.ok());
    EXPECT_TRUE(decoded.value().empty());
}

TEST(StateFileDecoding, AcceptsEveryNumberFormExtraKeysAndAnyOrder) {
    for (const char* number : {"640", "640.0", "6.4e2", "6.4E+2", "64000e-2"}) {
        const auto decoded = StateFileCodec::decode("[" + element("centerX", number) + "]");
        ASSERT_TRUE(decoded.ok()) << number << ": " << decoded.error();
        EXPECT_EQ(decoded.value().at(0).centerX, 640.0) << number;
    }
    const std::string handFormatted = R"( [ { "isLocked" : false, "note" : {"any": [1, null]},
        "pinColorName" : "purple", "rotationAngle" : -1, "baseHeight" : 2, "baseWidth" : 3,
        "centerY" : 4, "centerX" : 5, "originalPath" : "", "storedFilename" : "" } ] )";
    const auto decoded = StateFileCodec::decode(handFormatted);
    ASSERT_TRUE(decoded.ok()) << decoded.error();
    EXPECT_EQ(
        decoded.value(),
        (std::vector<PinnedPhotoState>{PinnedPhotoState{"", "", 5, 4, 3, 2, -1, "purple", false}}));
}

TEST(StateFileCodec, RecordsSurviveARoundTripUnchanged) {
    const std::vector<PinnedPhotoState> states = {
        beachRecord(),
        withStrings("6F1D-\u00c9t\u00e9 \u00e0 la mer \u6771\u4eac \U0001F4F7.jpg",
                    "/a//b/../c/\"quoted\"\\back/"),
        withGeometry(1.0 / 3, -2.0 / 7, 5e-324, 1.7976931348623157e308, 0.13962634015954636),
        PinnedPhotoState{"", "", 0, 0, 0, 0, 0, "", true},
    };
    const auto encoded = StateFileCodec::encode(states);
    ASSERT_TRUE(encoded.ok()) << encoded.error();
    const auto decoded = StateFileCodec::decode(encoded.value());
    ASSERT_TRUE(decoded.ok()) << decoded.error();
    EXPECT_EQ(decoded.value(), states);
}

}  // namespace
}  // namespace corkwallery
