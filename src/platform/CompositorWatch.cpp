#include "platform/CompositorWatch.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QPointer>

#include "platform/x11/SelectionWatch.h"
#include "platform/x11/Xcb.h"

namespace corkwallery::platform {

namespace {

const QString kKWin = QStringLiteral("org.kde.KWin");
const QString kCompositor = QStringLiteral("/Compositor");
const QString kCompositing = QStringLiteral("org.kde.kwin.Compositing");

}  // namespace

CompositorWatch& CompositorWatch::instance() {
    static QPointer<CompositorWatch> watch;
    if (!watch)
        watch = new CompositorWatch(QCoreApplication::instance());
    return *watch;
}

// Other platforms (offscreen, native Wayland) always blend transparent pixels.
CompositorWatch::CompositorWatch(QObject* parent) : QObject(parent) {
    if (x11::xcb::connection() == nullptr)
        return;
    selection_ = new x11::SelectionWatch("_NET_WM_CM_S", this);
    compositing_ = selection_->isOwned();
    connect(selection_, &x11::SelectionWatch::ownerChanged, this, &CompositorWatch::update);
    followKWin();
}

// KWin's word on the bus: its property "active" when it appears, then compositingToggled.
void CompositorWatch::followKWin() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(kKWin, kCompositor, kCompositing, QStringLiteral("compositingToggled"), this,
                SLOT(kwinCompositingToggled(bool)));
    const auto ask = [this, bus] {
        QDBusMessage get = QDBusMessage::createMethodCall(
            kKWin, kCompositor, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"));
        get << kCompositing << QStringLiteral("active");
        auto* call = new QDBusPendingCallWatcher(bus.asyncCall(get), this);
        connect(call, &QDBusPendingCallWatcher::finished, this, [this, call] {
            call->deleteLater();
            const QDBusMessage reply = call->reply();
            // No KWin, or one without the property: only the selection counts.
            const bool active = reply.type() != QDBusMessage::ReplyMessage ||
                                reply.arguments().isEmpty() ||
                                reply.arguments().first().value<QDBusVariant>().variant().toBool();
            kwinCompositingToggled(active);
        });
    };
    auto* watcher =
        new QDBusServiceWatcher(kKWin, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, ask);
    if (bus.interface() != nullptr && bus.interface()->isServiceRegistered(kKWin))
        ask();
}

void CompositorWatch::kwinCompositingToggled(bool active) {
    kwinSuspended_ = !active;
    update();
}

void CompositorWatch::update() {
    const bool compositing = selection_->isOwned() && !kwinSuspended_;
    if (compositing == compositing_)
        return;  // one compositor took over from another
    compositing_ = compositing;
    emit compositingChanged(compositing);
}

}  // namespace corkwallery::platform
