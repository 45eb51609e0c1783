#include "platform/CompositorWatch.h"

#include <QCoreApplication>
#include <QPointer>

#include "platform/x11/DesktopHints.h"
#include "platform/x11/SelectionWatch.h"

namespace corkwallery::platform {

CompositorWatch& CompositorWatch::instance() {
    static QPointer<CompositorWatch> watch;
    if (!watch)
        watch = new CompositorWatch(QCoreApplication::instance());
    return *watch;
}

// Other platforms (offscreen, native Wayland) always blend transparent pixels.
CompositorWatch::CompositorWatch(QObject* parent) : QObject(parent) {
    if (!x11::isRunning())
        return;
    selection_ = new x11::SelectionWatch("_NET_WM_CM_S", this);
    compositing_ = selection_->isOwned();
    connect(selection_, &x11::SelectionWatch::ownerChanged, this, [this](bool owned) {
        if (owned == compositing_)
            return;  // one compositor took over from another
        compositing_ = owned;
        emit compositingChanged(owned);
    });
}

}  // namespace corkwallery::platform
