#include "platform/wayland/LayerShell.h"

#include <wayland-client.h>
#include <LayerShellQt/Window>

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/ScreenCoordinates.h"

namespace corkwallery::platform::wayland {

namespace {

// Where prepareLayerSurface noted how the window is held, and the output its surface is on: Qt
// moves a window to the screen under its new geometry by itself, but a surface stays where it was
// made.
constexpr const char* kAnchorProperty = "corkwalleryLayerAnchor";
constexpr const char* kOutputProperty = "corkwalleryLayerOutput";

// The output a surface at `geometry` belongs on: the one under its centre, else the nearest.
QScreen* outputFor(const QRect& geometry) {
    const QPoint centre = geometry.center();
    if (QScreen* screen = QGuiApplication::screenAt(centre); screen != nullptr)
        return screen;
    QScreen* nearest = screen::primaryScreen();
    qint64 shortest = std::numeric_limits<qint64>::max();
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->geometry();
        const qint64 dx = centre.x() - std::clamp(centre.x(), area.left(), area.right());
        const qint64 dy = centre.y() - std::clamp(centre.y(), area.top(), area.bottom());
        if (dx * dx + dy * dy < shortest) {
            shortest = dx * dx + dy * dy;
            nearest = screen;
        }
    }
    return nearest;
}

// The screen named `name`, if it is still there.
QScreen* screenNamed(const QString& name) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    const auto found = std::find_if(screens.begin(), screens.end(),
                                    [&](const QScreen* screen) { return screen->name() == name; });
    return found != screens.end() ? *found : nullptr;
}

// Margins from the output's corner. Qt knows no panels on Wayland, so a window held at the top
// right keeps its distance from the output's corner as its distance from the free area's, where
// the compositor places it.
QMargins marginsOn(const QScreen* output, const QRect& geometry, Anchor anchor) {
    const QRect area = output->geometry();
    const int top = geometry.y() - area.y();
    if (anchor == Anchor::TopRight)
        return {0, top, area.x() + area.width() - (geometry.x() + geometry.width()), 0};
    return {geometry.x() - area.x(), top, 0, 0};
}

// Follows the gestures on a layer surface. A client hears which modifiers are held only while it
// has the keyboard focus, and a Shift-drag needs them at the press. So a surface takes the focus a
// click gives it (on demand), which comes with the modifiers before the press, and hands it
// straight back: the window the user was typing in has it again. A surface dragged onto another
// output moves there once the button is let go.
class Gestures final : public QObject {
public:
    explicit Gestures(QWidget* window) : QObject(window->windowHandle()), window_(window) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress)
            QTimer::singleShot(0, this, [this] { returnFocus(); });
        else if (event->type() == QEvent::MouseButtonRelease)
            QTimer::singleShot(0, this,
                               [this] { placeLayerSurface(window_, window_->geometry()); });
        return false;
    }

private:
    void returnFocus() {
        auto* layer = LayerShellQt::Window::get(window_->windowHandle());
        layer->setKeyboardInteractivity(LayerShellQt::Window::KeyboardInteractivityNone);
        layer->setKeyboardInteractivity(LayerShellQt::Window::KeyboardInteractivityOnDemand);
    }

    QWidget* window_;
};

void noteGlobal(void* offered, wl_registry*, uint32_t, const char* interface, uint32_t) {
    if (std::strcmp(interface, "zwlr_layer_shell_v1") == 0)
        *static_cast<bool*>(offered) = true;
}

void forgetGlobal(void*, wl_registry*, uint32_t) {}

}  // namespace

bool isBuiltWithLayerShell() {
    return true;
}

bool isRunning() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool compositorOffersLayerShell() {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr)
        return false;
    static const wl_registry_listener listener{noteGlobal, forgetGlobal};
    bool offered = false;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &offered);
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return answered && offered;
}

// Pins stand at exact places over panels too, as on X11 (exclusive zone -1); a window held at the
// top right stays clear of them (zone 0).
void prepareLayerSurface(QWidget* window, const QRect& geometry, Anchor anchor) {
    if (!isRunning())
        return;
    window->createWinId();
    QWindow* handle = window->windowHandle();
    QScreen* output = outputFor(geometry);
    handle->setScreen(output);
    auto* layer = LayerShellQt::Window::get(handle);
    layer->setScope(QStringLiteral("corkwallery"));
    layer->setLayer(LayerShellQt::Window::LayerBottom);
    layer->setKeyboardInteractivity(LayerShellQt::Window::KeyboardInteractivityOnDemand);
    layer->setScreenConfiguration(LayerShellQt::Window::ScreenFromQWindow);
    layer->setAnchors(anchor == Anchor::TopRight
                          ? LayerShellQt::Window::Anchors(LayerShellQt::Window::AnchorTop |
                                                          LayerShellQt::Window::AnchorRight)
                          : LayerShellQt::Window::Anchors(LayerShellQt::Window::AnchorTop |
                                                          LayerShellQt::Window::AnchorLeft));
    layer->setExclusiveZone(anchor == Anchor::TopRight ? 0 : -1);
    layer->setMargins(marginsOn(output, geometry, anchor));
    if (!window->property(kAnchorProperty).isValid())
        handle->installEventFilter(new Gestures(window));
    window->setProperty(kAnchorProperty, static_cast<int>(anchor));
    window->setProperty(kOutputProperty, output->name());
}

// A layer surface stays on the output it was made for: past it, the window is mapped again there.
void placeLayerSurface(QWidget* window, const QRect& geometry) {
    const QVariant held = window->property(kAnchorProperty);
    if (!isRunning() || !held.isValid() || window->windowHandle() == nullptr)
        return;
    QWindow* handle = window->windowHandle();
    const auto anchor = static_cast<Anchor>(held.toInt());
    QScreen* output = outputFor(geometry);
    QScreen* current = screenNamed(window->property(kOutputProperty).toString());
    if (current != nullptr && current != output && QGuiApplication::mouseButtons() != Qt::NoButton)
        output = current;
    LayerShellQt::Window::get(handle)->setMargins(marginsOn(output, geometry, anchor));
    if (output == current) {
        // New margins take effect with the surface's next commit, which a window that only moves
        // would not make: a pixel drawn again makes one.
        window->update(0, 0, 1, 1);
        return;
    }
    const bool shown = window->isVisible();
    if (shown)
        window->hide();
    handle->setScreen(output);
    window->setProperty(kOutputProperty, output->name());
    if (shown)
        window->show();
}

void setInputShape(QWidget* window, const QRegion& region) {
    if (isRunning() && window->windowHandle() != nullptr)
        window->windowHandle()->setMask(region);
}

}  // namespace corkwallery::platform::wayland
