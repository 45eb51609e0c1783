#include "platform/Label.h"

#include <gtest/gtest.h>

namespace corkwallery::platform {
namespace {

TEST(Label, ShowsNoMoreLinesThanItsLimit) {
    struct Case {
        std::string text;
        int limit;
        std::string shown;
    };
    const Case cases[] = {
        {"one\ntwo\nthree", 0, "one\ntwo\nthree"},
        {"one\ntwo\nthree", 2, "one\ntwo"},
        {"one\ntwo\nthree", 1, "one"},
        {"one\ntwo", 2, "one\ntwo"},
        {"one\n\nthree", 2, "one\n"},
        {"one\ntwo\n", 2, "one\ntwo"},
        {"", 3, ""},
    };
    for (const Case& c : cases) {
        Label label(c.text);
        label.setMaximumNumberOfLines(c.limit);
        EXPECT_EQ(label.displayedText(), c.shown) << c.text << " / " << c.limit;
        EXPECT_EQ(label.stringValue(), c.text);
    }
}

TEST(Label, FitsItsShownTextInItsFont) {
    Label twoLines("first line\nsecond line");
    Label fourLines("first line\nsecond line\nthird\nfourth");
    EXPECT_GT(fourLines.fittingSize().height, twoLines.fittingSize().height);
    fourLines.setMaximumNumberOfLines(2);
    EXPECT_EQ(fourLines.fittingSize(), twoLines.fittingSize());

    Label small("Corkwallery");
    const Size regular = small.fittingSize();
    small.setFont(Font::systemFont(26, FontWeight::Regular));
    EXPECT_GT(small.fittingSize().width, regular.width * 1.5);
    EXPECT_GT(small.fittingSize().height, regular.height * 1.5);
    // A new label is created at its fitting size.
    EXPECT_EQ(twoLines.frame().size, twoLines.fittingSize());
}

}  // namespace
}  // namespace corkwallery::platform
