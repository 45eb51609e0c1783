#include "platform/wayland/LayerShell.h"

#include <wayland-client.h>
#include <LayerShellQt/Window>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstring>
#include <limits>

namespace corkwallery::platform::wayland {

namespace {

// Where prepareLayerSurface noted how the window is held.
constexpr const char* kAnchorProperty = "corkwalleryLayerAnchor";

// The output a surface at `geometry` belongs on: the one under its centre, else the nearest.
QScreen* outputFor(const QRect& geometry) {
    const QPoint centre = geometry.center();
    if (QScreen* screen = QGuiApplication::screenAt(centre); screen != nullptr)
        return screen;
    QScreen* nearest = QGuiApplication::primaryScreen();
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
    layer->setKeyboardInteractivity(LayerShellQt::Window::KeyboardInteractivityNone);
    layer->setScreenConfiguration(LayerShellQt::Window::ScreenFromQWindow);
    layer->setAnchors(anchor == Anchor::TopRight
                          ? LayerShellQt::Window::Anchors(LayerShellQt::Window::AnchorTop |
                                                          LayerShellQt::Window::AnchorRight)
                          : LayerShellQt::Window::Anchors(LayerShellQt::Window::AnchorTop |
                                                          LayerShellQt::Window::AnchorLeft));
    layer->setExclusiveZone(anchor == Anchor::TopRight ? 0 : -1);
    layer->setMargins(marginsOn(output, geometry, anchor));
    window->setProperty(kAnchorProperty, static_cast<int>(anchor));
}

// A layer surface stays on the output it was made for: past it, the window is mapped again.
void placeLayerSurface(QWidget* window, const QRect& geometry) {
    const QVariant held = window->property(kAnchorProperty);
    if (!isRunning() || !held.isValid() || window->windowHandle() == nullptr)
        return;
    QWindow* handle = window->windowHandle();
    QScreen* output = outputFor(geometry);
    LayerShellQt::Window::get(handle)->setMargins(
        marginsOn(output, geometry, static_cast<Anchor>(held.toInt())));
    if (output == handle->screen())
        return;
    const bool shown = window->isVisible();
    if (shown)
        window->hide();
    handle->setScreen(output);
    if (shown)
        window->show();
}

void setInputShape(QWidget* window, const QRegion& region) {
    if (isRunning() && window->windowHandle() != nullptr)
        window->windowHandle()->setMask(region);
}

}  // namespace corkwallery::platform::wayland
