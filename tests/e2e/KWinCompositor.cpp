// A stand-in for KWin's compositing switch on the session bus, for the end-to-end journeys: owns
// org.kde.KWin with /Compositor's interface org.kde.kwin.Compositing (property "active", signal
// compositingToggled), prints "active" once it does, and reads "suspend" or "resume" lines on its
// standard input, as Alt+Shift+F12 switches KWin's compositing while KWin keeps its selection.

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QSocketNotifier>
#include <cstdio>
#include <iostream>
#include <string>

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
    QObject root;
    auto* compositing = new Compositing(&root);
    QDBusConnection bus = QDBusConnection::sessionBus();
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
        std::printf("%s\n", compositing->active ? "active" : "suspended");
    });
    std::printf("active\n");
    return application.exec();
}

#include "KWinCompositor.moc"
