#include "platform/CompositorWatch.h"

#include <QTimer>
#include <algorithm>
#include <vector>

#include "platform/PanelWidget.h"
#include "platform/x11/Compositor.h"
#include "platform/x11/QtConnection.h"

namespace corkwallery::platform {

namespace {
// Other platforms (offscreen, native Wayland) always blend transparent pixels.
bool lookNow(const std::function<bool()>& probe) {
    if (probe)
        return probe();
    xcb_connection_t* connection = x11::qtConnection();
    return connection == nullptr || x11::isCompositorRunning(connection);
}
}  // namespace

class CompositorWatch::State {
public:
    std::function<bool()> probe;
    std::vector<PanelWidget*> widgets;
    std::unique_ptr<QTimer> timer;
    bool compositing = true;
    bool known = false;
};

CompositorWatch::State& CompositorWatch::state() {
    static State instance;
    return instance;
}

bool CompositorWatch::isCompositing() {
    State& s = state();
    if (!s.known) {
        s.compositing = lookNow(s.probe);
        s.known = true;
    }
    return s.compositing;
}

void CompositorWatch::add(PanelWidget* widget) {
    State& s = state();
    s.widgets.push_back(widget);
    if (!s.timer) {
        s.timer = std::make_unique<QTimer>();
        s.timer->setInterval(kInterval);
        QObject::connect(s.timer.get(), &QTimer::timeout, [] { recheck(); });
    }
    if (!s.timer->isActive())
        s.timer->start();
}

void CompositorWatch::remove(PanelWidget* widget) {
    State& s = state();
    s.widgets.erase(std::remove(s.widgets.begin(), s.widgets.end(), widget), s.widgets.end());
    if (s.widgets.empty() && s.timer)
        s.timer->stop();
}

void CompositorWatch::recheck() {
    State& s = state();
    const bool now = lookNow(s.probe);
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
