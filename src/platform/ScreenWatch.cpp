#include "platform/ScreenWatch.h"

#include <QGuiApplication>
#include <QObject>
#include <QScreen>

namespace corkwallery::platform {

class ScreenWatch::Native {
public:
    explicit Native(std::function<void()> handler) : handler_(std::move(handler)) {
        auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
        if (application == nullptr)
            return;
        QObject::connect(application, &QGuiApplication::screenAdded, &context_,
                         [this](QScreen* screen) {
                             follow(screen);
                             changed();
                         });
        QObject::connect(application, &QGuiApplication::screenRemoved, &context_,
                         [this](QScreen*) { changed(); });
        for (QScreen* screen : QGuiApplication::screens())
            follow(screen);
    }

private:
    void follow(QScreen* screen) {
        QObject::connect(screen, &QScreen::geometryChanged, &context_, [this] { changed(); });
        QObject::connect(screen, &QScreen::availableGeometryChanged, &context_,
                         [this] { changed(); });
    }
    // A monitor unplugged moves and resizes the others too: the handler runs once they settled.
    void changed() {
        if (pending_)
            return;
        pending_ = true;
        QMetaObject::invokeMethod(
            &context_,
            [this] {
                pending_ = false;
                handler_();
            },
            Qt::QueuedConnection);
    }

    std::function<void()> handler_;
    QObject context_;  // its connections and queued calls end with it
    bool pending_ = false;
};

ScreenWatch::ScreenWatch(std::function<void()> handler)
    : native_(std::make_unique<Native>(std::move(handler))) {}

ScreenWatch::~ScreenWatch() = default;

}  // namespace corkwallery::platform
