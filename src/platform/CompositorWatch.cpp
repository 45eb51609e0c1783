#include "platform/CompositorWatch.h"

#include <QCoreApplication>
#include <QPointer>
#include <algorithm>
#include <vector>

#include "platform/PanelWidget.h"
#include "platform/x11/QtConnection.h"
#include "platform/x11/SelectionWatch.h"

namespace corkwallery::platform {

class CompositorWatch::State {
public:
    std::function<bool()> probe;
    std::vector<PanelWidget*> widgets;
    // Owned by the application, so it goes with Qt's connection.
    QPointer<x11::SelectionWatch> watch;
    bool compositing = true;
    bool known = false;

    // Other platforms (offscreen, native Wayland) always blend transparent pixels.
    bool lookNow() {
        if (probe)
            return probe();
        xcb_connection_t* connection = x11::qtConnection();
        if (connection == nullptr)
            return true;
        if (!watch) {
            watch =
                new x11::SelectionWatch(connection, "_NET_WM_CM_S", QCoreApplication::instance());
            QObject::connect(watch, &x11::SelectionWatch::ownerChanged, [] { recheck(); });
        }
        return watch->isOwned();
    }
};

CompositorWatch::State& CompositorWatch::state() {
    static State instance;
    return instance;
}

bool CompositorWatch::isCompositing() {
    State& s = state();
    if (!s.known) {
        s.compositing = s.lookNow();
        s.known = true;
    }
    return s.compositing;
}

void CompositorWatch::add(PanelWidget* widget) {
    state().widgets.push_back(widget);
    isCompositing();  // starts watching
}

void CompositorWatch::remove(PanelWidget* widget) {
    State& s = state();
    s.widgets.erase(std::remove(s.widgets.begin(), s.widgets.end(), widget), s.widgets.end());
}

void CompositorWatch::recheck() {
    State& s = state();
    const bool now = s.lookNow();
    const bool changed = !s.known || now != s.compositing;
    s.compositing = now;
    s.known = true;
    if (!changed)
        return;
    // A copy: a window may go away while the others are told.
    const std::vector<PanelWidget*> widgets = s.widgets;
    for (PanelWidget* widget : widgets)
        widget->applyHitShape();
}

void CompositorWatch::setProbe(std::function<bool()> probe) {
    state().probe = std::move(probe);
    recheck();
}

}  // namespace corkwallery::platform
