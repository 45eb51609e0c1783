#include "store/StateFileCodec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "StateFileRoundTrip.h"
#include "support/RecordPrinting.h"

namespace corkwallery {
namespace {

const PinnedPhotoState kBeach({"0C9E3A4B-5D71-4F0E-9A2B-7E8F6D5C4B3A-beach.jpg",
                               "/Users/me/Pictures/beach.jpg", 640, 412.5, 300, 225, -0.0523, "red",
                               false});

// A valid element with one member's JSON text replaced, or dropped when `value` is null.
std::string element(const std::string& key = "", const char* value = nullptr) {
    const char* texts[] = {"\"A.jpg\"", "\"\"", "640", "1", "2", "3", "0", "\"red\"", "true"};
    std::string text;
    for (std::size_t i = 0; i < CodingKeys.size(); ++i) {
        const std::string name(CodingKeys[i]);
        if (name != key || value != nullptr)
            text +=
                (text.empty() ? "{\"" : ",\"") + name + "\":" + (name == key ? value : texts[i]);
    }
    return text + "}";
}

TEST(StateFileCodec, WritesCompactGoldenTextOrFailsAsAWhole) {
    PinnedPhotoState other({"q\"b\\s/\u00c9t\u00e9.jpg", "\n\t\r\b\f\x01\x1f\x7f", -0.0, 1000000,
                            0.1, 1e300, 0.13962634015954636, "", true});
    EXPECT_EQ(StateFileCodec::encode({}).value(), "[]");
    EXPECT_EQ(StateFileCodec::encode({kBeach, other}).value(),
              R"([{"storedFilename":"0C9E3A4B-5D71-4F0E-9A2B-7E8F6D5C4B3A-beach.jpg",)"
              R"("originalPath":"\/Users\/me\/Pictures\/beach.jpg","centerX":640,"centerY":412.5,)"
              R"("baseWidth":300,"baseHeight":225,"rotationAngle":-0.0523,"pinColorName":"red",)"
              R"("isLocked":false},{"storedFilename":"q\"b\\s\/)"
              "\u00c9t\u00e9.jpg"
              R"(","originalPath":"\n\t\r\b\f\u0001\u001f)"
              "\x7f"
              R"(","centerX":-0,"centerY":1000000,"baseWidth":0.1,"baseHeight":1e+300,)"
              R"("rotationAngle":0.13962634015954636,"pinColorName":"","isLocked":true}])");
    other.rotationAngle = std::nan("");
    EXPECT_EQ(StateFileCodec::encode({kBeach, other}).error(),
              "invalid value for 'rotationAngle' in element 1: nan is not a JSON number");
    other.storedFilename = "\xed\xa0\x80.jpg";  // a surrogate
    EXPECT_EQ(StateFileCodec::encode({other}).error(),
              "invalid value for 'storedFilename' in element 0: not valid UTF-8");
}

// Our own texts whole; for invalid JSON only the place, since the rest is the library's wording.
TEST(StateFileCodec, ReadingFailsAsAWholeNamingKindAndPlace) {
    const std::string valid = element();
    const std::pair<std::string, std::string> cases[] = {
        {"[" + element("isLocked") + "]", "missing key 'isLocked' in element 0"},
        {"[" + valid + "," + element("centerX", "\"640\"") + "," + valid + "]",
         "wrong type for 'centerX' in element 1: expected a number"},
        {"[" + element("isLocked", "1") + "]",
         "wrong type for 'isLocked' in element 0: expected a boolean"},
        {"[" + element("isLocked", "1").erase(1, 25) + "]",  // the first failing field wins
         "missing key 'storedFilename' in element 0"},
        {"[" + element("originalPath", "null") + "]",
         "null value for 'originalPath' in element 0: expected a string"},
        {"[" + valid + ",[]]", "wrong type for element 1: expected an object"},
        {valid, "expected an array at the top level"},
        {"", "invalid JSON at byte 1: "},
        {("[" + valid).substr(0, 26), "invalid JSON at byte 27: "},
        {"[" + valid + ",]", "invalid JSON at byte " + std::to_string(valid.size() + 3) + ": "},
        {"[" + element("centerX", "1e400") + "]", "invalid JSON at byte 60: "},
        {"[\"\\ud800\"]", "invalid JSON at byte "},
        {std::string("[]\0[", 4), "invalid JSON at byte 3: NUL byte"},
        {"[\"[[\"," + std::string(64, '[') + std::string(65, ']'),
         "invalid JSON at byte 70: nesting deeper than 64 levels"},
        {"[" + std::string(63, '[') + std::string(64, ']'),  // 64 levels still parse
         "wrong type for element 0: expected an object"},
    };
    for (const auto& [json, error] : cases) {
        const auto decoded = StateFileCodec::decode(json);
        ASSERT_FALSE(decoded.ok()) << json;
        EXPECT_EQ(error.ends_with(' ') ? decoded.error().substr(0, error.size()) : decoded.error(),
                  error);
    }
}

TEST(StateFileCodec, ReadsAnyNumberFormAnyKeyOrderAndExtraKeysAndRoundTrips) {
    EXPECT_TRUE(StateFileCodec::decode(" [ ] ").value().empty());
    for (const char* number : {"640", "640.0", "6.4e2", "6.4E+2", "64000e-2"})
        EXPECT_EQ(StateFileCodec::decode("[" + element("centerX", number) + "]").value()[0].centerX,
                  640.0);
    const auto decoded = StateFileCodec::decode(R"( [ { "isLocked" : false, "note" : [ {}, null ],
        "pinColorName" : "purple", "rotationAngle" : -0, "baseHeight" : 2, "baseWidth" : 3,
        "centerY" : 4, "centerX" : 0, "centerX" : 5, "originalPath" : "", "storedFilename" : ""
        } ] )");
    EXPECT_EQ(decoded.value(), std::vector<PinnedPhotoState>({{"", "", 5, 4, 3, 2, -0.0, "purple",
                                                               false}}));  // last key wins
    EXPECT_TRUE(std::signbit(decoded.value()[0].rotationAngle));
    const std::vector<PinnedPhotoState> states = {
        kBeach,
        {"6F1D-\u00c9t\u00e9 \u6771\u4eac \U0001F4F7.jpg", "/a//b/\"q\"\\c/", 1.0 / 3, -2.0 / 7,
         5e-324, 1.7976931348623157e308, 0.1, "", true}};
    EXPECT_EQ(StateFileCodec::decode(StateFileCodec::encode(states).value()).value(), states);
}

// Every seed of the reader's fuzzer, and every input it ever found breaking the reader, read
// again: no crash, and whatever reads back whole round-trips.
TEST(StateFileCodec, EveryFuzzSeedAndFindingRoundTrips) {
    int replayed = 0;
    for (const char* folder : {FUZZ_CORPUS_DIR, FUZZ_CRASHES_DIR}) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().filename().string().front() == '.')
                continue;
            std::ostringstream bytes;
            bytes << std::ifstream(entry.path(), std::ios::binary).rdbuf();
            EXPECT_TRUE(stateFileRoundTripHolds(bytes.str())) << entry.path();
            ++replayed;
        }
    }
    EXPECT_GE(replayed, 10);
}

}  // namespace
}  // namespace corkwallery
