// A desktop's StatusNotifier panel on the session bus, for the end-to-end journeys. Owns
// org.kde.StatusNotifierWatcher and prints "watching" once it does, then "registered <service>" for
// every tray icon that registers. It has no host until one calls RegisterStatusNotifierHost, as
// when a panel takes the name before its tray is ready.

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <cstdio>

class Watcher final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered MEMBER hostRegistered)

public:
    explicit Watcher(QObject* parent) : QDBusAbstractAdaptor(parent) {}
    bool hostRegistered = false;

public slots:
    void RegisterStatusNotifierItem(const QString& service) {
        std::printf("registered %s\n", qPrintable(service));
    }
    void RegisterStatusNotifierHost(const QString&) {
        hostRegistered = true;
        emit StatusNotifierHostRegistered();
    }

signals:
    void StatusNotifierHostRegistered();
};

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each line as soon as it is printed
    QObject root;
    new Watcher(&root);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &root) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")))
        return 1;
    std::printf("watching\n");
    return application.exec();
}

#include "DesktopServices.moc"
