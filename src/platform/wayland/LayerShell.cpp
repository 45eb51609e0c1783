#include "platform/wayland/LayerShell.h"

#include <wayland-client.h>
#include <LayerShellQt/Window>

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/DesktopSurface.h"
#include "platform/ScreenCoordinates.h"
#include "platform/wayland/GrabPointer.h"

namespace corkwallery::platform::wayland {

namespace {

using Anchor = DesktopSurface::Anchor;

// Whether the compositor is KWin (it offers org_kde_plasma_shell), as the probe before the
// QApplication found.
bool onKWin = false;

// Whether `screen` is one of the compositor's outputs, not the stand-in Qt makes while there is
// none (sway closes a surface made there at once).
bool isOutput(QScreen* screen) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
#if QT_CONFIG(wayland)
    return screen != nullptr &&
           screen->nativeInterface<QNativeInterface::QWaylandScreen>() != nullptr;
#endif
#endif
    return screen != nullptr;
}

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

// A desktop window as a layer surface, on the output it was made for (Qt moves a window to the
// screen under its new geometry by itself, but a surface stays where it was made), and the
// gestures on it. A client hears which modifiers are held only while it has the keyboard focus,
// and a Shift-drag needs them at the press. So a surface takes the focus a click gives it (on
// demand), which comes with the modifiers before the press, and hands it straight back: the window
// the user was typing in has it again. KWin keeps the focus it gave and hands it back to nobody, so
// there a surface never takes it; KWin tells the surface under the pointer the modifiers anyway. A
// surface dragged onto another output moves there once the button is let go.
class LayerSurface final : public DesktopSurface {
    Q_OBJECT
public:
    explicit LayerSurface(QWindow* window) : DesktopSurface(window) {}

    // A layer surface on the bottom layer of the output under the centre of `geometry`, keeping
    // no keyboard focus (a click lends it for the modifiers only, except on KWin) and reserving no
    // space.
    void prepare(const QRect& geometry, Anchor anchor) override;
    // New margins on its output or, once its centre is over another output, a new surface there;
    // while a button is held, only once it is let go, since the gesture belongs to the surface it
    // began on.
    void place(const QRect& geometry) override;
    bool placeDirectly(const QRect&) override { return false; }
    void setInputShape(const QRegion& region) override { window()->setMask(region); }
    void keepAboveDesktop(bool) override {}
    void markFrameWithoutShadow() override {}
    bool isWindowManaged() const override { return false; }
    bool closedBySystem() override {
        closed_ = prepared_;
        return prepared_;
    }
    QPointF globalPointer(QPointF local, QPointF global, bool press, bool dragging) override;
    bool isPointerButtonDown() const override { return true; }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress && !onKWin)
            QTimer::singleShot(0, this, [this] { returnFocus(); });
        else if (event->type() == QEvent::MouseButtonRelease)
            QTimer::singleShot(0, this, [this] { place(window()->geometry()); });
        return false;
    }

private:
    void returnFocus() {
        auto* layer = LayerShellQt::Window::get(window());
        layer->setKeyboardInteractivity(LayerShellQt::Window::KeyboardInteractivityNone);
        layer->setKeyboardInteractivity(LayerShellQt::Window::KeyboardInteractivityOnDemand);
    }

    Anchor anchor_ = Anchor::TopLeft;
    QPointer<QScreen> output_;
    bool prepared_ = false;
    bool closed_ = false;  // by the compositor: made again when next placed
    GrabPointer grab_;
};

struct Offered {
    bool layerShell = false;
    bool plasmaShell = false;
};

void noteGlobal(void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
    auto* offered = static_cast<Offered*>(data);
    offered->layerShell |= std::strcmp(interface, "zwlr_layer_shell_v1") == 0;
    offered->plasmaShell |= std::strcmp(interface, "org_kde_plasma_shell") == 0;
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
    Offered offered;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &offered);
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    onKWin = answered && offered.plasmaShell;
    return answered && offered.layerShell;
}

// Pins stand at exact places over panels too, as on X11 (exclusive zone -1); a window held at the
// top right stays clear of them (zone 0). KWin gives a layer surface a window type by its
// namespace: a "dock" stays through Show Desktop and in place in the overview, is left out of the
// switcher, and, unlike a "desktop", never draws the focus that Show Desktop and an empty
// workspace give plasmashell's desktop, nor keeps the program's other windows through Show Desktop.
// Elsewhere the program's own name, which rules can match.
void LayerSurface::prepare(const QRect& geometry, Anchor anchor) {
    QScreen* output = outputFor(geometry);
    window()->setScreen(output);
    auto* layer = LayerShellQt::Window::get(window());
    layer->setScope(onKWin ? QStringLiteral("dock") : QStringLiteral("corkwallery"));
    layer->setLayer(LayerShellQt::Window::LayerBottom);
    layer->setKeyboardInteractivity(onKWin ? LayerShellQt::Window::KeyboardInteractivityNone
                                           : LayerShellQt::Window::KeyboardInteractivityOnDemand);
    layer->setScreenConfiguration(LayerShellQt::Window::ScreenFromQWindow);
    layer->setAnchors(anchor == Anchor::TopRight
                          ? LayerShellQt::Window::Anchors(LayerShellQt::Window::AnchorTop |
                                                          LayerShellQt::Window::AnchorRight)
                          : LayerShellQt::Window::Anchors(LayerShellQt::Window::AnchorTop |
                                                          LayerShellQt::Window::AnchorLeft));
    layer->setExclusiveZone(anchor == Anchor::TopRight ? 0 : -1);
    layer->setMargins(marginsOn(output, geometry, anchor));
    if (!prepared_)
        window()->installEventFilter(this);
    prepared_ = true;
    anchor_ = anchor;
    output_ = output;
}

// A layer surface stays on the output it was made for: past it, the window is mapped again there.
void LayerSurface::place(const QRect& geometry) {
    if (!prepared_)
        return;
    QScreen* output = outputFor(geometry);
    QScreen* current = output_;
    if (current != nullptr && current != output && QGuiApplication::mouseButtons() != Qt::NoButton)
        output = current;
    if (!isOutput(output))
        return;  // made again once an output comes
    LayerShellQt::Window::get(window())->setMargins(marginsOn(output, geometry, anchor_));
    if (output == current && !closed_) {
        // New margins take effect with the surface's next commit, which a window that only moves
        // would not make.
        emit frameNeeded(QRect(0, 0, 1, 1));
        return;
    }
    // Qt tells of screens coming and going from inside its own handling of them, where a window
    // hidden and shown would have its surface made twice (once more as Qt reconnects to a
    // restarted compositor): the surface moves once that is over.
    output_ = output;
    closed_ = false;
    QTimer::singleShot(0, this, [this, output = QPointer<QScreen>(output)] {
        if (output != nullptr && output_ == output)
            emit remapNeeded(output);
    });
}

// Where the surface was asked to be is all it knows of its place (see GrabPointer).
QPointF LayerSurface::globalPointer(QPointF local, QPointF, bool press, bool dragging) {
    const QPointF topLeft = window()->geometry().topLeft();
    if (press)
        grab_.press(topLeft, local);
    return grab_.pointer(topLeft, local, dragging);
}

DesktopSurface* makeLayerSurface(QWindow* window) {
    return new LayerSurface(window);
}

}  // namespace corkwallery::platform::wayland

#include "LayerShell.moc"
