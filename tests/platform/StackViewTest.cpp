#include "platform/StackView.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace corkwallery::platform {
namespace {

// Three plain views of fixed sizes: 10 x 20, 40 x 6, 30 x 30.
std::unique_ptr<StackView> threeViews() {
    std::vector<std::unique_ptr<View>> views;
    views.push_back(std::make_unique<View>(Rect(0, 0, 10, 20)));
    views.push_back(std::make_unique<View>(Rect(0, 0, 40, 6)));
    views.push_back(std::make_unique<View>(Rect(0, 0, 30, 30)));
    return StackView::withViews(std::move(views));
}

struct ArrangementCase {
    const char* name;
    StackOrientation orientation;
    StackAlignment alignment;
    Size fitting;
    std::vector<Rect> frames;  // y up, in the stack's bounds
};

class StackArrangement : public ::testing::TestWithParam<ArrangementCase> {};

TEST_P(StackArrangement, FitsAndPlacesItsViewsInOrder) {
    const ArrangementCase& c = GetParam();
    auto stack = threeViews();
    stack->setOrientation(c.orientation);
    stack->setAlignment(c.alignment);
    stack->setSpacing(8);
    stack->setEdgeInsets({24, 32, 12, 16});

    EXPECT_EQ(stack->fittingSize(), c.fitting);
    stack->setFrame(Rect({0, 0}, stack->fittingSize()));
    const auto arranged = stack->arrangedSubviews();
    ASSERT_EQ(arranged.size(), c.frames.size());
    for (std::size_t i = 0; i < arranged.size(); ++i)
        EXPECT_EQ(arranged[i]->frame(), c.frames[i]) << "view " << i;
}

// Vertical: width 32 + 40 + 16, height 24 + 20 + 8 + 6 + 8 + 30 + 12 = 108, the first on top.
// Horizontal: width 32 + 10 + 8 + 40 + 8 + 30 + 16 = 144, height 24 + 30 + 12 = 66.
INSTANTIATE_TEST_SUITE_P(
    Stacks, StackArrangement,
    ::testing::Values(
        ArrangementCase{"VerticalCentred",
                        StackOrientation::Vertical,
                        StackAlignment::Center,
                        {88, 108},
                        {Rect(47, 64, 10, 20), Rect(32, 50, 40, 6), Rect(37, 12, 30, 30)}},
        ArrangementCase{"VerticalLeading",
                        StackOrientation::Vertical,
                        StackAlignment::Leading,
                        {88, 108},
                        {Rect(32, 64, 10, 20), Rect(32, 50, 40, 6), Rect(32, 12, 30, 30)}},
        ArrangementCase{"HorizontalCentred",
                        StackOrientation::Horizontal,
                        StackAlignment::Center,
                        {144, 66},
                        {Rect(32, 17, 10, 20), Rect(50, 24, 40, 6), Rect(98, 12, 30, 30)}}),
    [](const auto& c) { return std::string(c.param.name); });

}  // namespace
}  // namespace corkwallery::platform
