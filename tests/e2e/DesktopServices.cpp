// A desktop's services on the session bus, for the end-to-end journeys. By default a StatusNotifier
// panel: owns org.kde.StatusNotifierWatcher and prints "watching" once it does, then "registered
// <service>" for every tray icon that registers. It has no host until one calls
// RegisterStatusNotifierHost, as when a panel takes the name before its tray is ready. With the
// argument "desktop": a notification service with buttons, printing "notify <id> <replaced id>
// <title>|<body>|<button keys>" and "close <id>", and a file manager printing "show <URIs>".

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

class Notifications final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    explicit Notifications(QObject* parent) : QDBusAbstractAdaptor(parent) {}

public slots:
    QStringList GetCapabilities() { return {"actions", "body"}; }
    uint Notify(const QString&, uint replaces, const QString&, const QString& title,
                const QString& body, const QStringList& actions, const QVariantMap&, int) {
        const uint id = replaces != 0 ? replaces : ++last_;
        std::printf("notify %u %u %s|%s|%s\n", id, replaces, qPrintable(title),
                    qPrintable(QString(body).replace('\n', ' ')), qPrintable(actions.join(',')));
        return id;
    }
    void CloseNotification(uint id) { std::printf("close %u\n", id); }

private:
    uint last_ = 0;
};

class FileManager final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    explicit FileManager(QObject* parent) : QDBusAbstractAdaptor(parent) {}

public slots:
    void ShowItems(const QStringList& uris, const QString&) {
        std::printf("show %s\n", qPrintable(uris.join(' ')));
    }
};

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each line as soon as it is printed
    QObject root;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (application.arguments().contains("desktop")) {
        QObject notifications, fileManager;
        new Notifications(&notifications);
        new FileManager(&fileManager);
        if (!bus.registerObject("/org/freedesktop/Notifications", &notifications) ||
            !bus.registerService("org.freedesktop.Notifications") ||
            !bus.registerObject("/org/freedesktop/FileManager1", &fileManager) ||
            !bus.registerService("org.freedesktop.FileManager1"))
            return 1;
        std::printf("serving\n");
        return application.exec();
    }
    new Watcher(&root);
    if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &root) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")))
        return 1;
    std::printf("watching\n");
    return application.exec();
}

#include "DesktopServices.moc"
