#include "desktop/ScreenChanges.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace corkwallery {

ScreenChanges& ScreenChanges::instance() {
    static QPointer<ScreenChanges> watch;
    if (!watch)
        watch = new ScreenChanges(QCoreApplication::instance());
    return *watch;
}

ScreenChanges::ScreenChanges(QObject* parent) : QObject(parent), settling_(new QTimer(this)) {
    settling_->setSingleShot(true);
    settling_->setInterval(kSettleMs);
    connect(settling_, &QTimer::timeout, this, &ScreenChanges::settled);
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (application == nullptr)
        return;
    for (QScreen* screen : QGuiApplication::screens())
        follow(screen);
    connect(application, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        follow(screen);
        changed();
    });
    connect(application, &QGuiApplication::screenRemoved, this, &ScreenChanges::changed);
    connect(application, &QGuiApplication::primaryScreenChanged, this, &ScreenChanges::changed);
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    application->installEventFilter(this);  // a window's new pixel ratio, from Qt 6.6 on
#endif
}

bool ScreenChanges::isChanging() const {
    return settling_->isActive();
}

void ScreenChanges::follow(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, &ScreenChanges::changed);
    connect(screen, &QScreen::availableGeometryChanged, this, &ScreenChanges::changed);
    connect(screen, &QScreen::logicalDotsPerInchChanged, this, &ScreenChanges::changed);
    connect(screen, &QScreen::physicalDotsPerInchChanged, this, &ScreenChanges::changed);
}

void ScreenChanges::changed() {
    settling_->start();
}

// Installed from Qt 6.6 on, which tells windows of a new pixel ratio; before, a scale comes with
// new geometry.
bool ScreenChanges::eventFilter(QObject* watched, QEvent* event) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    if (event->type() == QEvent::DevicePixelRatioChange && watched->isWindowType())
        changed();
#else
    Q_UNUSED(watched);
    Q_UNUSED(event);
#endif
    return false;
}

}  // namespace corkwallery
