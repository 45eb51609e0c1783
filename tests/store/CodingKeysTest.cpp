#include "store/CodingKeys.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_set>

namespace corkwallery {
namespace {

TEST(CodingKeys, TextsAreTheFieldNamesInFieldOrder) {
    std::string texts;
    for (const CodingKeys key : CodingKeys::allKeys)
        texts += std::string(key.text()) + " ";
    EXPECT_EQ(texts,
              "storedFilename originalPath centerX centerY baseWidth baseHeight rotationAngle "
              "pinColorName isLocked ");
}

TEST(CodingKeys, TextGivesAKeyOnlyByExactMatch) {
    for (const CodingKeys key : CodingKeys::allKeys)
        EXPECT_EQ(CodingKeys::fromText(key.text()), key);
    for (const char* text : {"islocked", "IsLocked", "isLocked ", "", "centerZ", "0"})
        EXPECT_EQ(CodingKeys::fromText(text), std::nullopt) << text;
}

TEST(CodingKeys, CompareAndHashByPositionWithoutIntegerForm) {
    std::unordered_set<CodingKeys> keys(CodingKeys::allKeys.begin(), CodingKeys::allKeys.end());
    keys.insert(*CodingKeys::fromText("centerY"));
    EXPECT_EQ(keys.size(), CodingKeys::kCount);
    EXPECT_NE(CodingKeys::centerX, CodingKeys::centerY);
    EXPECT_EQ(CodingKeys::rotationAngle.position(), 6u);
    EXPECT_EQ(CodingKeys::isLocked.intValue(), std::nullopt);
    EXPECT_EQ(CodingKeys::fromIntValue(0), std::nullopt);
}

}  // namespace
}  // namespace corkwallery
