#include "platform/StatusItem.h"

#include <QCursor>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "platform/ImageImpl.h"
#include "platform/Layer.h"
#include "platform/Panel.h"
#include "platform/Screen.h"
#include "platform/ScreenCoordinates.h"
#include "platform/SymbolArt.h"
#include "platform/View.h"

namespace corkwallery::platform {

namespace {

constexpr const char* kDefaultToolTip = "Corkwallery";
// A pin red: dark enough for a light panel, bright enough for a dark one.
const QColor kTrayColor(222, 52, 44);
constexpr double kCardSymbolPointSize = 18;
constexpr double kCardCornerRadius = 8;

std::function<bool()>& trayProbe() {
    static std::function<bool()> instance;
    return instance;
}

bool trayAvailable() {
    if (trayProbe())
        return trayProbe()();
    return QSystemTrayIcon::isSystemTrayAvailable();
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

QIcon trayIcon(const Image& image) {
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
    QSystemTrayIcon tray;
    QTimer trayCheck;
};

StatusItem::StatusItem() : native_(std::make_unique<Native>()) {
    native_->tray.setToolTip(QString::fromUtf8(kDefaultToolTip));
    native_->tray.setIcon(trayIcon(shownImage()));
    // The context menu opens by itself on a right click; a left click opens it too.
    QObject::connect(&native_->tray, &QSystemTrayIcon::activated,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger)
                             openMenu(fromQt(QPointF(QCursor::pos())));
                     });
    // Stays "visible" for good: a tray host that starts later picks the icon up by itself.
    native_->tray.show();
    native_->trayCheck.setInterval(kTrayCheckInterval);
    QObject::connect(&native_->trayCheck, &QTimer::timeout, [this] { updatePlacement(); });
    native_->trayCheck.start();
    updatePlacement();
}

StatusItem::~StatusItem() = default;

void StatusItem::setImage(std::optional<Image> image) {
    image_ = std::move(image);
    const Image shown = shownImage();
    native_->tray.setIcon(trayIcon(shown));
    native_->tray.setToolTip(QString::fromStdString(toolTip()));
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
    native_->tray.setContextMenu(menu_ ? menu_->nativeMenu() : nullptr);
}

void StatusItem::openMenu(Point location) {
    if (menu_)
        menu_->popUp(location);
}

bool StatusItem::isFallbackCardShown() const {
    return card_ && card_->isVisible();
}

Rect StatusItem::fallbackCardFrame(std::optional<Rect> mainScreenFrame) {
    const Rect screen = mainScreenFrame.value_or(Rect(0, 0, 1440, 900));
    return {screen.maxX() - kCardInset - kCardSide, screen.maxY() - kCardInset - kCardSide,
            kCardSide, kCardSide};
}

void StatusItem::updatePlacement() {
    inTray_ = trayAvailable();
    if (inTray_)
        hideCard();
    else
        showCard();
}

void StatusItem::setTrayAvailabilityProbe(std::function<bool()> probe) {
    trayProbe() = std::move(probe);
}

QSystemTrayIcon* StatusItem::nativeTrayIcon() const {
    return &native_->tray;
}

Image StatusItem::shownImage() const {
    if (image_)
        return *image_;
    return *Image::systemSymbol("pin.fill", std::string(kDefaultToolTip));
}

// The card behaves like a pin window: borderless, translucent, at desktop level, on every
// workspace, never focused.
void StatusItem::showCard() {
    std::optional<Rect> screenFrame;
    if (const std::optional<Screen> screen = Screen::main())
        screenFrame = screen->frame;
    const Rect frame = fallbackCardFrame(screenFrame);
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
        card_->setFrame(frame, true);  // the screen changed
    }
    if (!card_->isVisible())
        card_->orderFront();
}

void StatusItem::hideCard() {
    if (card_ && card_->isVisible())
        card_->close();
}

}  // namespace corkwallery::platform
