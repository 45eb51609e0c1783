#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QString>

namespace corkwallery::testing {

// A session bus of the test's own (dbus-daemon), where stand-ins play the desktop's services.
class PrivateBus {
public:
    PrivateBus() {
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
        if (daemon_.waitForReadyRead(10000))
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() {
        daemon_.kill();
        daemon_.waitForFinished();
    }
    // Empty when the bus did not start.
    const QString& address() const { return address_; }
    // Offers `object` at `path` as `service`, through a connection named `name`.
    bool offer(const QString& name, const QString& service, const QString& path,
               QDBusVirtualObject* object) const {
        QDBusConnection connection = QDBusConnection::connectToBus(address_, name);
        return connection.registerService(service) &&
               connection.registerVirtualObject(path, object);
    }

private:
    QProcess daemon_;
    QString address_;
};

}  // namespace corkwallery::testing
