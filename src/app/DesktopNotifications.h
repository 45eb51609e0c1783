#pragma once

#include <QObject>
#include <QString>
#include <map>

namespace corkwallery {

// The desktop's notification service (org.freedesktop.Notifications on the session bus). Each
// topic shows at most one notification: a new one replaces the last of its topic, and a topic can
// be withdrawn. Where no service answers, notDelivered lets the tray icon say it instead.
class DesktopNotifications final : public QObject {
    Q_OBJECT
public:
    enum class Topic { NotPinned, WindowManager, Removed, CopiesLost, NotSaved };

    DesktopNotifications();
    ~DesktopNotifications() override;

    // `action`, when given, is a button whose choice emits actionInvoked; it is offered only
    // where the service shows actions.
    void show(Topic topic, const QString& title, const QString& body, const QString& action = {});
    void withdraw(Topic topic);
    // Known once the service has answered; false until then.
    bool showsActions() const { return showsActions_; }

signals:
    void actionInvoked(corkwallery::DesktopNotifications::Topic topic);
    void notDelivered(const QString& title, const QString& body);

private slots:
    void onActionInvoked(uint id, const QString& key);
    void onClosed(uint id, uint reason);

private:
    struct Shown {
        uint id = 0;         // the service's, once it answered
        bool wanted = true;  // false once withdrawn while the service had not answered
    };
    std::map<Topic, Shown> shown_;
    bool showsActions_ = false;
};

}  // namespace corkwallery
