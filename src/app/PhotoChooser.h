#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>
#include <optional>
#include <string>
#include <vector>

class QEventLoop;

namespace corkwallery {

// "Add Photo"'s chooser: the desktop's own, through the FileChooser of xdg-desktop-portal, where
// the session bus has one; else Qt's file dialog. Whether the portal is there is asked once,
// without waiting, when the chooser is made (D-Bus may start it first); until it answers, and
// where it does not, Qt's dialog is used.
class PhotoChooser final : public QObject {
    Q_OBJECT
public:
    explicit PhotoChooser(QDBusConnection bus = QDBusConnection::sessionBus());
    ~PhotoChooser() override;

    // Asks the user for photos: title "Choose a photo to pin to your desktop", button "Pin to
    // Desktop", one or several existing files of the types the decoder accepts, from the Pictures
    // folder. Waits as a modal dialog does, while the rest of the program runs on. The files
    // chosen, as the file system's bytes; none when the user cancelled (or a choice is already
    // open).
    std::vector<std::string> choose();
    // Whether the portal answered, so that choose() goes through it.
    bool usesPortal() const { return portalAnswered_; }

private slots:
    // The portal's org.freedesktop.portal.Request.Response for the open request.
    void portalResponded(uint response, const QVariantMap& results);

private:
    // None when the portal failed before it showed anything.
    std::optional<std::vector<std::string>> chooseThroughPortal();
    // Follows the Response signal of the request object at `request`, or stops.
    void followRequest(const QString& request, bool follow);

    QDBusConnection bus_;
    bool portalAnswered_ = false;
    bool choosing_ = false;
    int requests_ = 0;
    QEventLoop* waiting_ = nullptr;
    std::optional<std::pair<uint, QVariantMap>> response_;
};

}  // namespace corkwallery
