#include "app/DesktopNotifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace corkwallery {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kActionKey = QStringLiteral("corkwallery-action");

QDBusMessage call(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

}  // namespace

DesktopNotifications::DesktopNotifications() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(onActionInvoked(uint, QString)));
    bus.connect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(onClosed(uint, uint)));
    auto* asked = new QDBusPendingCallWatcher(bus.asyncCall(call("GetCapabilities")), this);
    connect(asked, &QDBusPendingCallWatcher::finished, this, [this, asked] {
        asked->deleteLater();
        const QDBusPendingReply<QStringList> reply = *asked;
        showsActions_ = reply.isValid() && reply.value().contains(QStringLiteral("actions"));
    });
}

DesktopNotifications::~DesktopNotifications() = default;

void DesktopNotifications::show(Topic topic, const QString& title, const QString& body,
                                const QString& action) {
    Shown& shown = shown_[topic];
    shown.wanted = true;
    QDBusMessage notify = call(QStringLiteral("Notify"));
    const QStringList actions =
        action.isEmpty() || !showsActions_ ? QStringList() : QStringList{kActionKey, action};
    // The body may be read as markup.
    // Each refused file is told on its own.
    const uint replaces = topic == Topic::NotPinned ? 0 : shown.id;
    notify << QStringLiteral("Corkwallery") << replaces << QStringLiteral(CORKWALLERY_APP_ID)
           << title << body.toHtmlEscaped() << actions << QVariantMap() << -1;
    auto* sent = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(notify), this);
    connect(sent, &QDBusPendingCallWatcher::finished, this, [this, sent, topic, title, body] {
        sent->deleteLater();
        const QDBusPendingReply<uint> reply = *sent;
        if (!reply.isValid()) {
            shown_.erase(topic);
            emit notDelivered(title, body);
            return;
        }
        Shown& answered = shown_[topic];
        answered.id = reply.value();
        if (!answered.wanted)
            withdraw(topic);
    });
}

void DesktopNotifications::withdraw(Topic topic) {
    const auto found = shown_.find(topic);
    if (found == shown_.end())
        return;
    if (found->second.id == 0) {  // the service has not answered yet
        found->second.wanted = false;
        return;
    }
    QDBusMessage close = call(QStringLiteral("CloseNotification"));
    close << found->second.id;
    QDBusConnection::sessionBus().asyncCall(close);
    shown_.erase(found);
}

void DesktopNotifications::onActionInvoked(uint id, const QString& key) {
    for (const auto& [topic, shown] : shown_) {
        if (shown.id == id && key == kActionKey) {
            emit actionInvoked(topic);
            return;
        }
    }
}

void DesktopNotifications::onClosed(uint id, uint /*reason*/) {
    std::erase_if(shown_, [id](const auto& entry) { return entry.second.id == id; });
}

}  // namespace corkwallery
