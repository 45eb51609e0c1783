#include "app/StatusItem.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QSystemTrayIcon>

#include "app/DesktopCard.h"
#include "desktop/SymbolArt.h"
#include "platform/ScreenCoordinates.h"
#include "platform/StatusNotifierHostWatch.h"
#include "platform/XEmbedTrayWatch.h"

namespace corkwallery {

namespace {

// A pin red: dark enough for a light panel, bright enough for a dark one.
const QColor kTrayColor(222, 52, 44);
constexpr double kCardCornerRadius = 8;
constexpr double kCardAlpha = 0.7;

}  // namespace

StatusItem::StatusItem(std::unique_ptr<QMenu> menu) : menu_(std::move(menu)) {
    setToolTip({});
    menu_->installEventFilter(this);
    hostWatch_ = new platform::StatusNotifierHostWatch();
    hostWatch_->setParent(this);
    connect(hostWatch_, &platform::StatusNotifierHostWatch::changed, this,
            [this] { updatePlacement(TrayKind::StatusNotifier); });
    trayWatch_ = new platform::XEmbedTrayWatch(this);
    connect(trayWatch_, &platform::XEmbedTrayWatch::ownerChanged, this,
            [this] { updatePlacement(TrayKind::X11); });
    // The card follows the main screen's work area (panels and docks left out).
    const auto followWorkArea = [this](QScreen* screen) {
        if (screen != nullptr)
            connect(screen, &QScreen::availableGeometryChanged, this, &StatusItem::placeCard,
                    Qt::UniqueConnection);
        placeCard();
    };
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, followWorkArea);
    followWorkArea(platform::screen::primaryScreen());
    updatePlacement(std::nullopt);
}

StatusItem::~StatusItem() = default;

void StatusItem::openMenu(QPoint location) {
    menu_->popup(location);
}

bool StatusItem::isFallbackCardShown() const {
    return card_ && card_->isVisible();
}

// The pin at whole pixels in each square, so its needle stays sharp.
QIcon StatusItem::trayPicture() {
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48, 64}) {
        const QSize pin =
            SymbolArt::size("pin.fill", 13).scaled(side, side, Qt::KeepAspectRatio).toSize();
        QImage square(side, side, QImage::Format_ARGB32_Premultiplied);
        square.fill(Qt::transparent);
        QPainter(&square).drawImage(
            (side - pin.width()) / 2, (side - pin.height()) / 2,
            SymbolArt::render("pin.fill", 13, SymbolArt::Weight::Regular, pin, kTrayColor));
        icon.addPixmap(QPixmap::fromImage(square));
    }
    return icon;
}

QRectF StatusItem::fallbackCardFrame(std::optional<QRectF> workArea) {
    const QRectF area = workArea.value_or(QRectF(0, 0, 1440, 900));
    return {area.x() + area.width() - kCardInset - kCardSide, area.y() + kCardInset, kCardSide,
            kCardSide};
}

QPointF StatusItem::trayMenuLocation(const QRectF& icon, double menuHeight, const QRectF& screen) {
    if (icon.center().y() > screen.center().y())
        return {icon.x(), icon.y() - menuHeight};
    return {icon.x(), icon.y() + icon.height()};
}

// Qt 6.4 picks the kind of its tray icons once per process, with the first icon: a StatusNotifier
// icon if such a host is registered then, otherwise an X11 one, and every later icon is of that
// kind. So no icon is made before a host is there, and the pick is remembered to know which host
// can show the icon.
void StatusItem::updatePlacement(std::optional<TrayKind> changed) {
    static std::optional<TrayKind> qtKind;
    const bool statusNotifier = hostWatch_->isHostRegistered();
    const bool x11 = trayWatch_->isOwned();
    if (!qtKind && (statusNotifier || x11))
        qtKind = statusNotifier ? TrayKind::StatusNotifier : TrayKind::X11;
    const bool inTray =
        qtKind == TrayKind::StatusNotifier ? statusNotifier : qtKind == TrayKind::X11 && x11;
    const bool wasInTray = isInTray();
    if (!inTray) {
        tray_.reset();
        showCard();
        if (wasInTray)
            emit placementChanged(false);
        return;
    }
    // Made anew when its host came or came back, so it registers there.
    if (!tray_ || changed == qtKind) {
        tray_.reset();
        tray_ = std::make_unique<QSystemTrayIcon>(trayPicture());
        tray_->setToolTip(toolTip_);
        // A right click opens the context menu by itself; a left click opens it too.
        tray_->setContextMenu(menu_.get());
        connect(tray_.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger)
                        openMenuAtTrayIcon();
                });
        tray_->show();
    }
    if (card_)
        card_->hide();
    if (!wasInTray)
        emit placementChanged(true);
}

// At the icon where Qt knows where it is (an X11 tray), else at the pointer: Qt passes on no
// position for a StatusNotifier icon.
void StatusItem::openMenuAtTrayIcon() {
    const QRect icon = tray_ ? tray_->geometry() : QRect();
    if (!icon.isValid()) {
        openMenu(QCursor::pos());
        return;
    }
    const QScreen* screen = QGuiApplication::screenAt(icon.center());
    const QRect area = screen != nullptr ? screen->geometry() : platform::screen::primaryGeometry();
    openMenu(trayMenuLocation(icon, menu_->sizeHint().height(), area).toPoint());
}

// The card behaves like a pin window: borderless, translucent, at desktop level, on every
// workspace, never focused. It casts no shadow.
void StatusItem::showCard() {
    const QScreen* screen = platform::screen::primaryScreen();
    const QRectF frame = platform::screen::fromQt(fallbackCardFrame(
        screen != nullptr ? std::optional(QRectF(screen->availableGeometry())) : std::nullopt));
    if (!card_) {
        card_ = std::make_unique<DesktopCard>(frame.size(), kCardCornerRadius, kCardAlpha, false);
        card_->holdAtTopRight();
        auto* pin = new QLabel(card_.get());
        pin->setAttribute(Qt::WA_TransparentForMouseEvents);
        pin->setGeometry(card_->cardRect());
        pin->setPixmap(DesktopCard::symbolPicture("pin.fill", 18, SymbolArt::Weight::Regular,
                                                  Qt::white, frame.size(),
                                                  card_->devicePixelRatioF()));
        // The card never has the keyboard, so Qt would keep its tool tip hidden.
        card_->setAttribute(Qt::WA_AlwaysShowToolTips);
        card_->setToolTip(toolTip_);
        connect(card_.get(), &DesktopWindow::filesDropped, this, &StatusItem::filesDropped);
        // The menu hangs below the card; Qt keeps it on the screen.
        connect(card_.get(), &DesktopCard::clicked, this, [this] {
            openMenu(
                platform::screen::toQt(QPointF(card_->frame().x(), card_->frame().y())).toPoint());
        });
    }
    if (card_->frame() != frame)
        card_->setFrame(frame);
    if (!card_->isVisible())
        card_->orderFront();
}

void StatusItem::setToolTip(const QString& toolTip) {
    //: The tray icon's tool tip: the program's name.
    toolTip_ = toolTip.isEmpty() ? tr("Corkwallery") : toolTip;
    if (tray_)
        tray_->setToolTip(toolTip);
    if (card_)
        card_->setToolTip(toolTip);
}

void StatusItem::placeCard() {
    if (isFallbackCardShown())
        showCard();
}

bool StatusItem::eventFilter(QObject* watched, QEvent* event) {
    if (watched != menu_.get() || event->type() != QEvent::KeyPress)
        return false;
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    for (QAction* action : menu_->actions()) {
        if (action->isEnabled() && !action->shortcut().isEmpty() &&
            action->shortcut().matches(pressed) == QKeySequence::ExactMatch) {
            // As a click does: the menu goes, then the command runs.
            menu_->close();
            action->trigger();
            return true;
        }
    }
    return false;
}

}  // namespace corkwallery
