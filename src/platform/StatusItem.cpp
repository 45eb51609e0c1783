#include "platform/StatusItem.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSystemTrayIcon>
#include <algorithm>
#include <cmath>

#include "platform/ImageImpl.h"
#include "platform/Layer.h"
#include "platform/Panel.h"
#include "platform/ScreenCoordinates.h"
#include "platform/StatusNotifierHostWatch.h"
#include "platform/SymbolArt.h"
#include "platform/View.h"
#include "platform/x11/QtConnection.h"
#include "platform/x11/SelectionWatch.h"

namespace corkwallery::platform {

namespace {

constexpr const char* kDefaultToolTip = "Corkwallery";
// A pin red: dark enough for a light panel, bright enough for a dark one.
const QColor kTrayColor(222, 52, 44);
constexpr double kCardSymbolPointSize = 18;
constexpr double kCardCornerRadius = 8;

std::optional<Rect> mainWorkArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return std::nullopt;
    return fromQt(QRectF(screen->availableGeometry()));
}

bool isSymbol(const Image& image) {
    return dynamic_cast<const SymbolImpl*>(&image.impl()) != nullptr;
}

// `inner` scaled to fit `outer`, keeping its proportions.
QSizeF fitted(Size inner, double outer) {
    const double scale = outer / std::max(inner.width, inner.height);
    return {inner.width * scale, inner.height * scale};
}

// The picture centred on a square of `side` pixels; symbols are filled with one colour.
QPixmap trayPixmap(const Image& image, int side) {
    QImage canvas(side, side, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    const QSizeF size = fitted(image.size(), side);
    const QSize pixels(std::max(1, static_cast<int>(std::lround(size.width()))),
                       std::max(1, static_cast<int>(std::lround(size.height()))));
    QImage picture = image.impl().render(pixels);
    if (picture.isNull())
        return QPixmap::fromImage(canvas);
    if (isSymbol(image)) {
        QPainter tint(&picture);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(picture.rect(), kTrayColor);
    }
    QPainter painter(&canvas);
    painter.drawImage(QPoint((side - pixels.width()) / 2, (side - pixels.height()) / 2), picture);
    return QPixmap::fromImage(canvas);
}

QIcon makeTrayIcon(const Image& image) {
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(trayPixmap(image, side));
    return icon;
}

// A symbol drawn white, for the dark card; any other picture as it is.
Image cardPicture(const Image& image) {
    if (!isSymbol(image))
        return image;
    const Image symbol =
        image.withSymbolConfiguration({kCardSymbolPointSize, FontWeight::Regular}).value_or(image);
    return Image::withDrawingHandler(symbol.size(), [symbol](GraphicsContext& context, Rect rect) {
        context.drawImage(symbol, rect);
        context.setFillColor(Color::white());
        context.fillRect(rect, CompositingOperation::SourceAtop);
        return true;
    });
}

// The card's content: a dark rounded square with the picture in its middle; any click on it
// opens the menu.
class CardView final : public View {
public:
    CardView(Rect frame, std::function<void()> onClick)
        : View(frame), onClick_(std::move(onClick)) {
        setWantsLayer(true);
        layer()->setBackgroundColor(Color::black(0.7));
        layer()->setCornerRadius(kCardCornerRadius);
        layer()->setMasksToBounds(true);
        picture_.setContentsGravity(ContentsGravity::ResizeAspect);
        layer()->addSublayer(picture_);
    }

    void setPicture(const Image& image) {
        const Size size = image.size();
        const double scale =
            std::min(1.0, (bounds().width() - 8) / std::max(size.width, size.height));
        const Size shown{size.width * scale, size.height * scale};
        picture_.setFrame(Rect(
            {(bounds().width() - shown.width) / 2, (bounds().height() - shown.height) / 2}, shown));
        picture_.setContents(image);
    }

    // The application is never active, so the first click must count.
    bool acceptsFirstMouse(const MouseEvent&) override { return true; }
    void mouseDown(const MouseEvent&) override { onClick_(); }
    void rightMouseDown(const MouseEvent&) override { onClick_(); }

private:
    std::function<void()> onClick_;
    Layer picture_;
};

}  // namespace

class StatusItem::Native {
public:
    QIcon icon;
    QString toolTip = QString::fromUtf8(kDefaultToolTip);
    QMenu* menu = nullptr;  // the menu_'s
    std::unique_ptr<QSystemTrayIcon> tray;
    StatusNotifierHostWatch statusNotifierHost;
    std::unique_ptr<x11::SelectionWatch> x11Tray;  // null off X11
    QMetaObject::Connection workAreaChange;
    // Receives the connections that call back into the item; they end with it.
    QObject receiver;
};

StatusItem::StatusItem() : native_(std::make_unique<Native>()) {
    native_->icon = makeTrayIcon(shownImage());
    QObject::connect(&native_->statusNotifierHost, &StatusNotifierHostWatch::changed,
                     &native_->receiver, [this] { updatePlacement(TrayKind::StatusNotifier); });
    if (xcb_connection_t* connection = x11::qtConnection()) {
        native_->x11Tray = std::make_unique<x11::SelectionWatch>(connection, "_NET_SYSTEM_TRAY_S");
        QObject::connect(native_->x11Tray.get(), &x11::SelectionWatch::ownerChanged,
                         &native_->receiver, [this] { updatePlacement(TrayKind::X11); });
    }
    // The card follows the main screen's work area (panels and docks left out).
    auto followWorkArea = [this](QScreen* screen) {
        QObject::disconnect(native_->workAreaChange);
        if (screen != nullptr)
            native_->workAreaChange = QObject::connect(screen, &QScreen::availableGeometryChanged,
                                                       &native_->receiver, [this] { placeCard(); });
        placeCard();
    };
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QObject::connect(application, &QGuiApplication::primaryScreenChanged, &native_->receiver,
                         followWorkArea);
    followWorkArea(QGuiApplication::primaryScreen());
    updatePlacement(std::nullopt);
}

StatusItem::~StatusItem() = default;

void StatusItem::setImage(std::optional<Image> image) {
    image_ = std::move(image);
    const Image shown = shownImage();
    native_->icon = makeTrayIcon(shown);
    native_->toolTip = QString::fromStdString(toolTip());
    if (native_->tray) {
        native_->tray->setIcon(native_->icon);
        native_->tray->setToolTip(native_->toolTip);
    }
    if (card_)
        static_cast<CardView*>(card_->contentView())->setPicture(cardPicture(shown));
}

std::string StatusItem::toolTip() const {
    if (image_ && image_->accessibilityDescription())
        return *image_->accessibilityDescription();
    return kDefaultToolTip;
}

void StatusItem::setMenu(std::unique_ptr<Menu> menu) {
    menu_ = std::move(menu);
    native_->menu = menu_ ? menu_->nativeMenu() : nullptr;
    if (native_->tray)
        native_->tray->setContextMenu(native_->menu);
}

void StatusItem::openMenu(Point location) {
    if (menu_)
        menu_->popUp(location);
}

bool StatusItem::isFallbackCardShown() const {
    return card_ && card_->isVisible();
}

Rect StatusItem::fallbackCardFrame(std::optional<Rect> workArea) {
    const Rect area = workArea.value_or(Rect(0, 0, 1440, 900));
    return {area.maxX() - kCardInset - kCardSide, area.maxY() - kCardInset - kCardSide, kCardSide,
            kCardSide};
}

// Screen coordinates point up: a menu whose top-left corner is at the icon's lower edge hangs
// below it.
Point StatusItem::trayMenuLocation(Rect icon, double menuHeight, Rect screen) {
    if (icon.midY() < screen.midY())
        return {icon.minX(), icon.maxY() + menuHeight};
    return {icon.minX(), icon.minY()};
}

QIcon StatusItem::trayIcon() const {
    return native_->icon;
}

QSystemTrayIcon* StatusItem::nativeTrayIcon() const {
    return native_->tray.get();
}

// Qt 6.4 picks the kind of its tray icons once per process, with the first icon (or the first
// isSystemTrayAvailable()): a StatusNotifier icon if such a host is registered then, otherwise
// an X11 one; every later icon is of the same kind. So no icon is made before a host is there,
// and the pick is remembered to know which host can show the icon.
std::optional<StatusItem::TrayKind>& StatusItem::qtTrayKind() {
    static std::optional<TrayKind> kind;
    return kind;
}

void StatusItem::updatePlacement(std::optional<TrayKind> changed) {
    const bool statusNotifier = native_->statusNotifierHost.isHostRegistered();
    const bool x11 = native_->x11Tray && native_->x11Tray->isOwned();
    std::optional<TrayKind>& kind = qtTrayKind();
    if (!kind && (statusNotifier || x11))
        kind = statusNotifier ? TrayKind::StatusNotifier : TrayKind::X11;
    inTray_ = kind == TrayKind::StatusNotifier ? statusNotifier : kind == TrayKind::X11 && x11;
    if (!inTray_) {
        native_->tray.reset();
        showCard();
        return;
    }
    // Made anew when its host came or came back, so it registers there.
    if (!native_->tray || changed == kind) {
        native_->tray.reset();
        native_->tray = std::make_unique<QSystemTrayIcon>(native_->icon);
        QSystemTrayIcon& tray = *native_->tray;
        tray.setToolTip(native_->toolTip);
        // A right click opens the context menu by itself; a left click opens it too.
        tray.setContextMenu(native_->menu);
        QObject::connect(&tray, &QSystemTrayIcon::activated, &native_->receiver,
                         [this](QSystemTrayIcon::ActivationReason reason) {
                             if (reason == QSystemTrayIcon::Trigger)
                                 openMenuAtTrayIcon();
                         });
        tray.show();
    }
    hideCard();
}

// At the icon where Qt knows where it is (an X11 tray), else at the pointer: Qt passes on no
// position for a StatusNotifier icon.
void StatusItem::openMenuAtTrayIcon() {
    const QRect icon = native_->tray ? native_->tray->geometry() : QRect();
    if (!icon.isValid() || !menu_) {
        openMenu(fromQt(QPointF(QCursor::pos())));
        return;
    }
    const QScreen* screen = QGuiApplication::screenAt(icon.center());
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    const QRect screenArea = screen != nullptr ? screen->geometry() : primaryScreenGeometry();
    openMenu(trayMenuLocation(fromQt(QRectF(icon)), menu_->nativeMenu()->sizeHint().height(),
                              fromQt(QRectF(screenArea))));
}

Image StatusItem::shownImage() const {
    if (image_)
        return *image_;
    return *Image::systemSymbol("pin.fill", std::string(kDefaultToolTip));
}

// The card behaves like a pin window: borderless, translucent, at desktop level, on every
// workspace, never focused.
void StatusItem::showCard() {
    const Rect frame = fallbackCardFrame(mainWorkArea());
    if (!card_) {
        card_ = std::make_unique<Panel>(frame);
        card_->setLevel(WindowLevel::DesktopIcon);
        card_->setOpaque(false);
        card_->setBackgroundColor(Color::clear());
        card_->setHasShadow(false);
        card_->setReleasedWhenClosed(false);
        card_->setCollectionBehavior(CollectionCanJoinAllSpaces | CollectionStationary |
                                     CollectionIgnoresCycle);
        auto view = std::make_unique<CardView>(Rect({0, 0}, frame.size), [this] {
            // The menu hangs below the card; Qt keeps it on the screen.
            const Rect at = card_->frame();
            openMenu({at.minX(), at.minY()});
        });
        view->setPicture(cardPicture(shownImage()));
        card_->setContentView(std::move(view));
    } else if (card_->frame() != frame) {
        card_->setFrame(frame, true);  // the work area changed
    }
    if (!card_->isVisible())
        card_->orderFront();
}

void StatusItem::placeCard() {
    if (isFallbackCardShown())
        card_->setFrame(fallbackCardFrame(mainWorkArea()), true);
}

void StatusItem::hideCard() {
    if (card_ && card_->isVisible())
        card_->close();
}

}  // namespace corkwallery::platform
