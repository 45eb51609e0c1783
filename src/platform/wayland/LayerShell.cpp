#include "platform/wayland/LayerShell.h"

#include <wayland-client.h>
#include <LayerShellQt/Window>

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
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

// One per layer surface, a child of its window's handle: how the surface is held and the output
// it is on (Qt moves a window to the screen under its new geometry by itself, but a surface stays
// where it was made), and the gestures on it. A client hears which modifiers are held only while
// it has the keyboard focus, and a Shift-drag needs them at the press. So a surface takes the
// focus a click gives it (on demand), which comes with the modifiers before the press, and hands
// it straight back: the window the user was typing in has it again. A surface dragged onto
// another output moves there once the button is let go.
class LayerSurface final : public QObject {
    Q_OBJECT
public:
    explicit LayerSurface(QWidget* window) : QObject(window->windowHandle()), window_(window) {
        window->windowHandle()->installEventFilter(this);
    }

    static LayerSurface* of(const QWidget* window) {
        const QWindow* handle = window->windowHandle();
        return handle != nullptr
                   ? handle->findChild<LayerSurface*>(QString(), Qt::FindDirectChildrenOnly)
                   : nullptr;
    }

    Anchor anchor = Anchor::TopLeft;
    QPointer<QScreen> output;

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
    LayerSurface* surface = LayerSurface::of(window);
    if (surface == nullptr)
        surface = new LayerSurface(window);
    surface->anchor = anchor;
    surface->output = output;
}

// A layer surface stays on the output it was made for: past it, the window is mapped again there.
void placeLayerSurface(QWidget* window, const QRect& geometry) {
    LayerSurface* surface = LayerSurface::of(window);  // none unless prepared on Wayland
    if (surface == nullptr)
        return;
    QWindow* handle = window->windowHandle();
    QScreen* output = outputFor(geometry);
    QScreen* current = surface->output;
    if (current != nullptr && current != output && QGuiApplication::mouseButtons() != Qt::NoButton)
        output = current;
    LayerShellQt::Window::get(handle)->setMargins(marginsOn(output, geometry, surface->anchor));
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
    surface->output = output;
    if (shown)
        window->show();
}

void setInputShape(QWidget* window, const QRegion& region) {
    if (isRunning() && window->windowHandle() != nullptr)
        window->windowHandle()->setMask(region);
}

}  // namespace corkwallery::platform::wayland

#include "LayerShell.moc"
