#include "platform/StatusNotifierHostWatch.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace corkwallery::platform {

namespace {

const QString kService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kPath = QStringLiteral("/StatusNotifierWatcher");
const QString kInterface = QStringLiteral("org.kde.StatusNotifierWatcher");
// A watcher that hangs must not hold up the start for long.
constexpr int kFirstAnswerTimeoutMs = 2000;

QDBusMessage hostRegisteredQuestion() {
    QDBusMessage message = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    message << kInterface << QStringLiteral("IsStatusNotifierHostRegistered");
    return message;
}

bool answerSaysRegistered(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return reply.arguments().first().value<QDBusVariant>().variant().toBool();
}

}  // namespace

StatusNotifierHostWatch::StatusNotifierHostWatch(QDBusConnection bus) : bus_(std::move(bus)) {
    if (!bus_.isConnected())
        return;
    serviceWatcher_ =
        new QDBusServiceWatcher(kService, bus_, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(serviceWatcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                newWatcher_ = true;
                if (newOwner.isEmpty()) {
                    delete pending_;
                    pending_ = nullptr;
                    answered(false);
                } else {
                    askAgain();
                }
            });
    // A panel may take the name first and register its host a moment later.
    for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
        bus_.connect(kService, kPath, kInterface, QString::fromLatin1(signal), this,
                     SLOT(askAgain()));
    if (bus_.interface() != nullptr && bus_.interface()->isServiceRegistered(kService))
        hostRegistered_ = answerSaysRegistered(
            bus_.call(hostRegisteredQuestion(), QDBus::Block, kFirstAnswerTimeoutMs));
}

StatusNotifierHostWatch::~StatusNotifierHostWatch() = default;

void StatusNotifierHostWatch::askAgain() {
    // Only the latest question counts.
    delete pending_;
    pending_ = new QDBusPendingCallWatcher(bus_.asyncCall(hostRegisteredQuestion()), this);
    connect(pending_, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                pending_ = nullptr;
                call->deleteLater();
                answered(answerSaysRegistered(call->reply()));
            });
}

void StatusNotifierHostWatch::answered(bool registered) {
    if (registered == hostRegistered_ && !newWatcher_)
        return;
    hostRegistered_ = registered;
    newWatcher_ = false;
    emit changed();
}

}  // namespace corkwallery::platform
