#include "platform/Menu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QTest>

#include "support/Polling.h"

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

// Qt matches no shortcut of a menu outside a menu bar; the open menu answers them itself.
TEST(MenuTest, ShortcutsShownInTheOpenMenuCloseItAndRunTheirItem) {
    Menu menu;
    int added = 0;
    int quit = 0;
    menu.addItem("Add Photo", "n", [&] { ++added; });
    menu.addSeparator();
    menu.addItem("Quit Corkwallery", "q", [&] { ++quit; });
    struct Press {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::pair<int, int> ran;  // added, quit
        bool closes;
    };
    const Press presses[] = {
        {Qt::Key_N, Qt::ControlModifier, {1, 0}, true},
        {Qt::Key_Q, Qt::ControlModifier, {1, 1}, true},
        {Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier, {1, 1}, false},
        {Qt::Key_X, Qt::ControlModifier, {1, 1}, false},
    };
    for (const Press& press : presses) {
        SCOPED_TRACE(QKeySequence(press.key | press.modifiers).toString().toStdString());
        menu.popUp({100, 500});
        ASSERT_TRUE(
            testing::waitUntil([] { return QApplication::activePopupWidget() != nullptr; }));
        QWidget* popup = QApplication::activePopupWidget();
        ASSERT_EQ(popup, menu.nativeMenu());
        QTest::keyClick(popup, press.key, press.modifiers);
        EXPECT_EQ(std::make_pair(added, quit), press.ran);
        EXPECT_EQ(menu.nativeMenu()->isVisible(), !press.closes);
        menu.nativeMenu()->close();
    }
}

}  // namespace
}  // namespace corkwallery::platform
