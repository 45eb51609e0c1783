#include "platform/View.h"

#include <gtest/gtest.h>

#include <QWidget>

#include "platform/ViewWidget.h"

namespace corkwallery::platform {
namespace {

TEST(View, KeepsSubviewsAtTheirDistanceFromTheBottomEdge) {
    View parent(Rect(0, 0, 100, 100));
    View& child = parent.addSubview(std::make_unique<View>(Rect(5, 10, 20, 30)));
    EXPECT_EQ(child.superview(), &parent);
    EXPECT_EQ(child.widget()->parentWidget(), parent.widget());
    EXPECT_EQ(child.widget()->geometry(), QRect(5, 60, 20, 30));

    parent.setFrame(Rect(0, 0, 100, 50));
    EXPECT_EQ(child.frame(), Rect(5, 10, 20, 30));
    EXPECT_EQ(child.widget()->geometry(), QRect(5, 10, 20, 30));

    child.setFrame(Rect(70, 0, 30, 50));
    EXPECT_EQ(child.widget()->geometry(), QRect(70, 0, 30, 50));
}

TEST(View, DrawsLaterSubviewsAboveEarlierOnes) {
    View parent(Rect(0, 0, 100, 100));
    View& below = parent.addSubview(std::make_unique<View>(Rect(0, 0, 50, 50)));
    View& above = parent.addSubview(std::make_unique<View>(Rect(0, 0, 50, 50)));
    const QObjectList& stacking = parent.widget()->children();
    EXPECT_LT(stacking.indexOf(below.widget()), stacking.indexOf(above.widget()));
    ASSERT_EQ(parent.subviews().size(), 2u);
    EXPECT_EQ(parent.subviews()[1].get(), &above);
}

}  // namespace
}  // namespace corkwallery::platform
