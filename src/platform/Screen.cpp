#include "platform/Screen.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/ScreenCoordinates.h"

namespace corkwallery::platform {

namespace {
Screen fromQScreen(const QScreen& screen) {
    return {fromQt(QRectF(screen.geometry())), screen.devicePixelRatio(),
            fromQt(QRectF(screen.availableGeometry()))};
}
}  // namespace

std::optional<Screen> Screen::main() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return std::nullopt;
    return fromQScreen(*screen);
}

std::vector<Screen> Screen::all() {
    std::vector<Screen> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.push_back(fromQScreen(*screen));
    return screens;
}

}  // namespace corkwallery::platform
