#include "platform/Menu.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>

#include "platform/ScreenCoordinates.h"

namespace corkwallery::platform {

namespace {
std::function<void(Menu&)>& interceptor() {
    static std::function<void(Menu&)> instance;
    return instance;
}

// Answers its items' shortcuts while it is open. Qt matches the shortcuts of a menu only where
// it hangs from a menu bar, and this application has the keyboard only while a menu is open.
class ShortcutMenu final : public QMenu {
protected:
    void keyPressEvent(QKeyEvent* event) override {
        const QKeySequence pressed(event->keyCombination());
        for (QAction* action : actions()) {
            if (action->isEnabled() && !action->shortcut().isEmpty() &&
                action->shortcut().matches(pressed) == QKeySequence::ExactMatch) {
                // As a click does: the menu goes, then the command runs.
                close();
                action->trigger();
                return;
            }
        }
        QMenu::keyPressEvent(event);
    }
};
}  // namespace

Menu::Menu() = default;
Menu::~Menu() = default;

void Menu::addItem(std::string title, std::string keyEquivalent, std::function<void()> action) {
    items_.push_back({std::move(title), std::move(keyEquivalent), std::move(action), false});
    if (native_)
        fillNativeMenu();
}

void Menu::addSeparator() {
    items_.push_back({{}, {}, {}, true});
    if (native_)
        fillNativeMenu();
}

void Menu::performItem(std::size_t index) const {
    const MenuItem& item = items_.at(index);
    if (!item.isSeparator && item.action)
        item.action();
}

void Menu::setPopUpInterceptor(std::function<void(Menu&)> handler) {
    interceptor() = std::move(handler);
}

QMenu* Menu::nativeMenu() {
    if (!native_) {
        native_ = std::make_unique<ShortcutMenu>();
        fillNativeMenu();
    }
    return native_.get();
}

// Rebuilt in place, because the tray icon and open pop-ups hold on to the native menu.
void Menu::fillNativeMenu() {
    native_->clear();
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const MenuItem& item = items_[i];
        if (item.isSeparator) {
            native_->addSeparator();
            continue;
        }
        QAction* action = native_->addAction(QString::fromStdString(item.title));
        if (!item.keyEquivalent.empty()) {
            action->setShortcut(QKeySequence(QStringLiteral("Ctrl+") +
                                             QString::fromStdString(item.keyEquivalent).toUpper()));
            action->setShortcutVisibleInContextMenu(true);
        }
        QObject::connect(action, &QAction::triggered, [this, i] { performItem(i); });
    }
}

void Menu::popUpContextMenu(const MouseEvent& event, View&) {
    if (interceptor()) {
        interceptor()(*this);
        return;
    }
    nativeMenu()->exec(toQt(event.locationInScreen).toPoint());
}

void Menu::popUp(Point location) {
    if (interceptor()) {
        interceptor()(*this);
        return;
    }
    nativeMenu()->popup(toQt(location).toPoint());
}

}  // namespace corkwallery::platform
