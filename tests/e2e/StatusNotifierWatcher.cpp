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

void say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

class Watcher final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    Watcher(QObject* parent, bool hostRegistered)
        : QDBusAbstractAdaptor(parent), hostRegistered_(hostRegistered) {}

    bool isHostRegistered() const { return hostRegistered_; }
    QStringList items() const { return items_; }
    int protocolVersion() const { return 0; }

    void registerHost() {
        hostRegistered_ = true;
        emit StatusNotifierHostRegistered();
    }

    void activateLastItem(int x, int y) {
        if (items_.isEmpty())
            return;
        QDBusMessage click = QDBusMessage::createMethodCall(
            items_.last(), QStringLiteral("/StatusNotifierItem"),
            QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Activate"));
        click << x << y;
        QDBusConnection::sessionBus().call(click, QDBus::NoBlock);
    }

public slots:
    void RegisterStatusNotifierItem(const QString& service) {
        items_ << service;
        say(QStringLiteral("registered ") + service);
        emit StatusNotifierItemRegistered(service);
    }
    void RegisterStatusNotifierHost(const QString&) { registerHost(); }

signals:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierItemUnregistered(const QString& service);
    void StatusNotifierHostRegistered();

private:
    bool hostRegistered_;
    QStringList items_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const bool hostLater = application.arguments().contains(QStringLiteral("--host-later"));
    QObject root;
    auto* watcher = new Watcher(&root, !hostLater);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &root) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
        say(QStringLiteral("cannot own org.kde.StatusNotifierWatcher"));
        return 1;
    }
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t length = read(STDIN_FILENO, buffer, sizeof buffer - 1);
        if (length <= 0) {
            input.setEnabled(false);
            return;
        }
        for (const QString& line : QString::fromUtf8(buffer, length).split(QLatin1Char('\n'))) {
            const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (words.value(0) == QLatin1String("host"))
                watcher->registerHost();
            else if (words.value(0) == QLatin1String("activate") && words.size() == 3)
                watcher->activateLastItem(words[1].toInt(), words[2].toInt());
        }
    });
    say(QStringLiteral("watching"));
    return application.exec();
}

#include "StatusNotifierWatcher.moc"
