#include "platform/JsonReader.h"

#include <gtest/gtest.h>

#include <string>

namespace corkwallery::platform {
namespace {

struct RejectCase {
    const char* name;
    std::string text;
    std::string error;
};

void PrintTo(const RejectCase& rejectCase, std::ostream* out) {
    *out << rejectCase.name;
}

class JsonReaderRejects : public ::testing::TestWithParam<RejectCase> {};

TEST_P(JsonReaderRejects, WithByteAndReason) {
    const auto result = JsonReader::parse(GetParam().text);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error(), GetParam().error);
}

std::string nested(std::size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonReaderRejects,
    ::testing::Values(
        RejectCase{"Empty", "",
                   "invalid JSON at byte 1: syntax error while parsing value - unexpected end of "
                   "input; expected '[', '{', or a literal"},
        RejectCase{"CutOff", "[{\"a\":1",
                   "invalid JSON at byte 8: syntax error while parsing object - unexpected end "
                   "of input; expected '}'"},
        RejectCase{"TrailingComma", "[1,]",
                   "invalid JSON at byte 4: syntax error while parsing value - unexpected ']'; "
                   "expected '[', '{', or a literal"},
        RejectCase{"Comment", "[1,/*c*/2]",
                   "invalid JSON at byte 4: syntax error while parsing value - invalid literal; "
                   "last read: '1,/'"},
        RejectCase{"TwoValues", "[] []",
                   "invalid JSON at byte 4: syntax error while parsing value - unexpected '['; "
                   "expected end of input"},
        RejectCase{"NulAfterValue", std::string("[]\0[", 4), "invalid JSON at byte 3: NUL byte"},
        RejectCase{"NumberOverflow", "[1e400]",
                   "invalid JSON at byte 6: number overflow parsing '1e400'"},
        RejectCase{"LoneSurrogate", "[\"\\ud800\"]",
                   "invalid JSON at byte 9: syntax error while parsing value - invalid string: "
                   "surrogate U+D800..U+DBFF must be followed by U+DC00..U+DFFF; last read: "
                   "'\"\\ud800\"'"},
        RejectCase{"IllFormedUtf8", "[\"\xff\"]",
                   "invalid JSON at byte 3: syntax error while parsing value - invalid string: "
                   "ill-formed UTF-8 byte; last read: '\"\xff'"},
        RejectCase{"LeadingPoint", "[.5]",
                   "invalid JSON at byte 2: syntax error while parsing value - invalid literal; "
                   "last read: '[.'"},
        RejectCase{"TooDeep", nested(JsonReader::kMaxDepth + 1),
                   "invalid JSON at byte 65: nesting deeper than 64 levels"},
        RejectCase{"TooDeepAfterBracketsInStrings",
                   "[\"[[[\"," + nested(JsonReader::kMaxDepth) + "]",
                   "invalid JSON at byte 71: nesting deeper than 64 levels"}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(JsonReader, AcceptsNestingUpToTheLimit) {
    EXPECT_TRUE(JsonReader::parse(nested(JsonReader::kMaxDepth)).ok());
}

TEST(JsonReader, BuildsTheValueTree) {
    const auto result = JsonReader::parse(
        " [ {\"s\": \"a\\/b\\u00e9\", \"n\": -6.4e2, \"i\": 640, \"t\": true, \"z\": null},"
        " [], 18446744073709551615 ] ");
    ASSERT_TRUE(result.ok()) << result.error();
    const auto& array = result.value().asArray();
    ASSERT_EQ(array.size(), 3u);
    const JsonValue& object = array[0];
    ASSERT_EQ(object.kind(), JsonValue::Kind::Object);
    EXPECT_EQ(object.member("s")->asString(), "a/b\u00e9");
    EXPECT_EQ(object.member("n")->asNumber(), -640.0);
    EXPECT_EQ(object.member("i")->asNumber(), 640.0);
    EXPECT_TRUE(object.member("t")->asBoolean());
    EXPECT_EQ(object.member("z")->kind(), JsonValue::Kind::Null);
    EXPECT_EQ(object.member("absent"), nullptr);
    EXPECT_TRUE(array[1].asArray().empty());
    EXPECT_EQ(array[2].asNumber(), 18446744073709551615.0);
}

TEST(JsonReader, LastOfDuplicateKeysWins) {
    const auto result = JsonReader::parse(R"({"a":1,"b":2,"a":3})");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.value().member("a")->asNumber(), 3.0);
    EXPECT_EQ(result.value().asObject().size(), 3u);
}

}  // namespace
}  // namespace corkwallery::platform
