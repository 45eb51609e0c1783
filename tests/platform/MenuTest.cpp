#include "platform/Menu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QKeySequence>
#include <QMenu>

namespace corkwallery::platform {
namespace {

TEST(MenuTest, KeyEquivalentsBecomeCtrlShortcutsOnTheNativeActions) {
    Menu menu;
    menu.addItem("Add Photo", "n", [] {});
    menu.addSeparator();
    menu.addItem("How to Use", "", [] {});
    menu.addItem("Quit Corkwallery", "q", [] {});
    const QList<QAction*> actions = menu.nativeMenu()->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions[0]->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_TRUE(actions[2]->shortcut().isEmpty());
    EXPECT_EQ(actions[3]->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
}

// The tray icon keeps the native menu, so it must not be replaced when items come later.
TEST(MenuTest, NativeMenuStaysTheSameObjectAndRunsItemsAddedAfterItWasBuilt) {
    Menu menu;
    int first = 0;
    int second = 0;
    menu.addItem("First", "", [&] { ++first; });
    QMenu* native = menu.nativeMenu();
    menu.addSeparator();
    menu.addItem("Second", "", [&] { ++second; });
    ASSERT_EQ(menu.nativeMenu(), native);
    const QList<QAction*> actions = native->actions();
    ASSERT_EQ(actions.size(), 3);
    actions[2]->trigger();
    actions[0]->trigger();
    actions[2]->trigger();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);
}

}  // namespace
}  // namespace corkwallery::platform
