// Stand-ins for a desktop's services on the session bus, for the end-to-end journeys.
//   watcher: a StatusNotifier panel. Owns org.kde.StatusNotifierWatcher and prints "watching" once
//     it does, then "registered <service>" for every tray icon that registers. It has no host until
//     one calls RegisterStatusNotifierHost, as when a panel takes the name before its tray is
//     ready.
//   kwin: KWin's compositing switch. Owns org.kde.KWin with /Compositor's interface
//     org.kde.kwin.Compositing (property "active", signal compositingToggled), prints "active" once
//     it does, and reads "suspend" or "resume" lines on its standard input, as Alt+Shift+F12
//     switches KWin's compositing while KWin keeps its selection.

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QSocketNotifier>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

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

class Compositing final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.kwin.Compositing")
    Q_PROPERTY(bool active MEMBER active)

public:
    explicit Compositing(QObject* parent) : QDBusAbstractAdaptor(parent) {}

    bool active = true;

signals:
    void compositingToggled(bool active);
};

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each line as soon as it is printed
    const bool kwin = argc > 1 && std::strcmp(argv[1], "kwin") == 0;
    QObject root;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!kwin) {
        new Watcher(&root);
        if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &root) ||
            !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")))
            return 1;
        std::printf("watching\n");
        return application.exec();
    }
    auto* compositing = new Compositing(&root);
    if (!bus.registerObject(QStringLiteral("/Compositor"), &root) ||
        !bus.registerService(QStringLiteral("org.kde.KWin")))
        return 1;
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        std::string line;
        if (!std::getline(std::cin, line))
            return QCoreApplication::quit();
        compositing->active = line != "suspend";
        emit compositing->compositingToggled(compositing->active);
    });
    std::printf("active\n");
    return application.exec();
}

#include "DesktopServices.moc"
