#include "platform/Menu.h"

#include <QKeySequence>
#include <QMenu>

#include "platform/ScreenCoordinates.h"

namespace corkwallery::platform {

namespace {
std::function<void(Menu&)>& interceptor() {
    static std::function<void(Menu&)> instance;
    return instance;
}
}  // namespace

Menu::Menu() = default;
Menu::~Menu() = default;

void Menu::addItem(std::string title, std::string keyEquivalent, std::function<void()> action) {
    items_.push_back({std::move(title), std::move(keyEquivalent), std::move(action), false});
    native_.reset();
}

void Menu::addSeparator() {
    items_.push_back({{}, {}, {}, true});
    native_.reset();
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
    if (native_)
        return native_.get();
    native_ = std::make_unique<QMenu>();
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
    return native_.get();
}

void Menu::popUpContextMenu(const MouseEvent& event, View&) {
    if (interceptor()) {
        interceptor()(*this);
        return;
    }
    nativeMenu()->exec(toQt(event.locationInScreen).toPoint());
}

}  // namespace corkwallery::platform
