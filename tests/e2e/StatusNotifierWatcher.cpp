// A stand-in StatusNotifier panel for the end-to-end journeys: owns org.kde.StatusNotifierWatcher
// on the session bus and prints "watching" once it does, then "registered <service>" for every
// tray icon that registers. With --host-later no host is registered until the line "host" comes
// on standard input, as when a panel takes the name before its tray is ready. The line
// "activate <x> <y>" clicks the last registered icon, as a panel does on a left click.

#include <unistd.h>
#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QSocketNotifier>
#include <QStringList>
#include <cstdio>

namespace {

class Watcher final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered MEMBER hostRegistered)

public:
    Watcher(QObject* parent, bool registered)
        : QDBusAbstractAdaptor(parent), hostRegistered(registered) {}

    bool hostRegistered;
    QStringList items;

public slots:
    void RegisterStatusNotifierItem(const QString& service) {
        items << service;
        std::printf("registered %s\n", qPrintable(service));
        std::fflush(stdout);
        emit StatusNotifierItemRegistered(service);
    }
    void RegisterStatusNotifierHost(const QString&) {
        hostRegistered = true;
        emit StatusNotifierHostRegistered();
    }

signals:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierHostRegistered();
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QObject root;
    auto* watcher =
        new Watcher(&root, !application.arguments().contains(QStringLiteral("--host-later")));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &root) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")))
        return 1;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t length = read(STDIN_FILENO, buffer, sizeof buffer - 1);
        if (length <= 0)
            return input.setEnabled(false);
        for (const QString& line : QString::fromUtf8(buffer, length).split(QLatin1Char('\n'))) {
            const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (words.value(0) == QLatin1String("host"))
                watcher->RegisterStatusNotifierHost({});
            if (words.value(0) == QLatin1String("activate") && !watcher->items.isEmpty()) {
                QDBusMessage click = QDBusMessage::createMethodCall(
                    watcher->items.last(), QStringLiteral("/StatusNotifierItem"),
                    QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Activate"));
                click << words.value(1).toInt() << words.value(2).toInt();
                bus.call(click, QDBus::NoBlock);
            }
        }
    });
    std::printf("watching\n");
    std::fflush(stdout);
    return application.exec();
}

#include "StatusNotifierWatcher.moc"
