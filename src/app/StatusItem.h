#pragma once

#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <memory>
#include <optional>

#include "desktop/DroppedFiles.h"

class QIcon;
class QMenu;
class QSystemTrayIcon;

namespace corkwallery {

class DesktopCard;

namespace platform {
class StatusNotifierHostWatch;
class XEmbedTrayWatch;
}  // namespace platform

// The application's permanent control: the pin icon in the system tray, whose menu opens on a left
// or right click. Where no tray host runs (GNOME without an extension, a bare window manager, a
// panel that has not started yet) a small card with the pin stands at desktop level in the
// top-right corner of the main screen's work area and opens the same menu. Tray hosts are followed
// as they come and go (StatusNotifier panels on the session bus, the X11 tray's selection): the
// icon is made anew when one appears, and the card shows exactly while none can show the icon.
// Qt chooses once per process between the two kinds of host, so no icon is made before a host
// exists. While the menu is open its shortcuts work (Ctrl+N, Ctrl+Q).
class StatusItem final : public QObject {
    Q_OBJECT
public:
    // The card's side and its distance from the work area's top and right edges, in points.
    static constexpr double kCardSide = 32;
    static constexpr double kCardInset = 8;

    // Takes the menu; the tool tip is "Corkwallery".
    explicit StatusItem(std::unique_ptr<QMenu> menu);
    ~StatusItem() override;

    QMenu* menu() const { return menu_.get(); }
    // Opens the menu with its top-left corner at `location` (Qt's global coordinates).
    void openMenu(QPoint location);

    bool isInTray() const { return tray_ != nullptr; }
    bool isFallbackCardShown() const;
    DesktopCard* fallbackCard() const { return card_.get(); }
    QSystemTrayIcon* trayIcon() const { return tray_.get(); }
    // The tool tip of the tray icon and of the card: what keeps it from working as it should, or
    // when empty "Corkwallery".
    void setToolTip(const QString& toolTip);
    // The tray icon's picture, made for every common tray size.
    static QIcon trayPicture();

    // Where the card stands in a work area (Qt's global coordinates; the 1440 x 900 rectangle at
    // the origin when there is no screen).
    static QRectF fallbackCardFrame(std::optional<QRectF> workArea);
    // Where a menu `menuHeight` tall opens for a tray icon at `icon` on `screen`: hanging below the
    // icon, or standing above it when the icon is in the lower half of the screen.
    static QPointF trayMenuLocation(const QRectF& icon, double menuHeight, const QRectF& screen);

signals:
    // The icon went into a tray, or the card took its place.
    void placementChanged(bool inTray);
    // Files were dropped on the corner card.
    void filesDropped(const corkwallery::DroppedFiles& dropped);

protected:
    // Runs the open menu's shortcuts: Qt matches a menu's shortcuts only in a menu bar, and the
    // application has the keyboard only while its menu is open.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class TrayKind { StatusNotifier, X11 };
    void updatePlacement(std::optional<TrayKind> changed);
    void openMenuAtTrayIcon();
    void showCard();
    void placeCard();

    QString toolTip_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::unique_ptr<DesktopCard> card_;
    platform::StatusNotifierHostWatch* hostWatch_ = nullptr;  // a child
    platform::XEmbedTrayWatch* trayWatch_ = nullptr;          // a child
};

}  // namespace corkwallery
