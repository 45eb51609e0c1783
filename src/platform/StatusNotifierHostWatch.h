#pragma once

#include <QDBusConnection>
#include <QObject>

class QDBusServiceWatcher;
class QDBusPendingCallWatcher;

namespace corkwallery::platform {

// Whether a StatusNotifier panel (KDE Plasma, GNOME with the AppIndicator extension, waybar, ...)
// can show tray icons: the watcher service "org.kde.StatusNotifierWatcher" runs on the session
// bus and says a host is registered, which is what Qt asks before it makes a D-Bus tray icon.
// Follows the service's owner and the watcher's host signals; nothing is polled.
class StatusNotifierHostWatch final : public QObject {
    Q_OBJECT
public:
    // Asks once, synchronously, so the first answer is right; then follows changes.
    explicit StatusNotifierHostWatch(QDBusConnection bus = QDBusConnection::sessionBus());
    ~StatusNotifierHostWatch() override;

    bool isHostRegistered() const { return hostRegistered_; }

signals:
    // A host was registered or went, or another watcher took the name over (a panel restarted).
    void changed();

private slots:
    void askAgain();

private:
    void answered(bool registered);

    QDBusConnection bus_;
    QDBusServiceWatcher* serviceWatcher_ = nullptr;  // a child
    QDBusPendingCallWatcher* pending_ = nullptr;     // a child, while a question is open
    bool hostRegistered_ = false;
    bool newWatcher_ = false;  // the name changed owner since the last answer
};

}  // namespace corkwallery::platform
