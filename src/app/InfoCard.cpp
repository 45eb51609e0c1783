#include "app/InfoCard.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/ScreenCoordinates.h"

namespace corkwallery {

namespace {

constexpr double kCornerRadius = 16;
constexpr double kBackgroundAlpha = 0.7;
constexpr int kIconSide = 32;
constexpr int kSpacing = 8;
constexpr int kInsetTop = 24;
constexpr int kInsetSide = 32;
constexpr int kCloseSide = 20;
constexpr int kCloseInset = 8;

QLabel* label(const QString& text, int pixelSize, QFont::Weight weight, double alpha,
              QWidget* card) {
    auto* label = new QLabel(text, card);
    label->setTextFormat(Qt::PlainText);
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);  // one point is one device-independent pixel
    font.setWeight(weight);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor::fromRgbF(1, 1, 1, static_cast<float>(alpha)));
    label->setPalette(palette);
    return label;
}

}  // namespace

std::unique_ptr<InfoCard> InfoCard::welcome(bool inTray, std::function<void()> close) {
    //: The welcome card's text with a tray: two lines, about as long as the English ones.
    const QString tray =
        tr("Click the pin icon in your panel's tray\n"
           "to add your first photo.");
    //: The welcome card's text without a tray: two lines, about as long as the English ones.
    const QString corner =
        tr("Click the pin card in the top-right corner\n"
           "to add your first photo.");
    // Where no tray runs, the menu hangs from the card in the corner instead.
    return std::unique_ptr<InfoCard>(new InfoCard(QAccessible::Notification, "pin.fill",
                                                  tr("Welcome to Corkwallery"),
                                                  inTray ? tray : corner, 2, std::move(close)));
}

std::unique_ptr<InfoCard> InfoCard::help(std::function<void()> close) {
    return std::unique_ptr<InfoCard>(new InfoCard(
        QAccessible::Dialog, "questionmark.circle.fill", tr("How to Use Corkwallery"),
        //: The help card's text: six lines (the fifth empty), about as long as the English ones.
        tr("Drag a photo to move it around your desktop\n"
           "Hold Shift and drag to resize a photo\n"
           "Right-click a photo to lock, unlock, or remove it\n"
           "Your photos are saved automatically\n"
           "\n"
           "App works best with square or rectangle photos"),
        6, std::move(close)));
}

QAccessibleInterface* InfoCard::accessibleFactory(const QString&, QObject* object) {
    auto* card = qobject_cast<InfoCard*>(object);
    return card != nullptr ? new QAccessibleWidget(card, card->role_) : nullptr;
}

QRectF InfoCard::centredFrame(QSizeF size, std::optional<QRectF> screenFrame) {
    const QRectF screen = screenFrame.value_or(QRectF(0, 0, 1440, 900));
    return {screen.center().x() - size.width() * 0.5, screen.center().y() - size.height() * 0.5,
            size.width(), size.height()};
}

// The card is exactly as large as its column needs, so the column is laid out first.
InfoCard::InfoCard(QAccessible::Role role, const char* symbol, const QString& title,
                   const QString& body, int bodyLines, std::function<void()> close)
    : DesktopCard(QSizeF(), kCornerRadius, kBackgroundAlpha, true, Focus::OnClick), role_(role) {
    const qreal ratio = devicePixelRatioF();
    auto* icon = new QLabel(this);
    icon->setFixedSize(kIconSide, kIconSide);
    icon->setPixmap(symbolPicture(symbol, 22, SymbolArt::Weight::Medium, Qt::white,
                                  QSizeF(kIconSide, kIconSide), ratio));
    title_ = label(title, 16, QFont::DemiBold, 1, this);
    body_ = label(body.split(QLatin1Char('\n')).mid(0, bodyLines).join(QLatin1Char('\n')), 13,
                  QFont::Normal, 0.8, this);
    body_->setAlignment(Qt::AlignCenter);
    setAccessibleName(title_->text());
    setAccessibleDescription(body_->text());

    auto* column = new QVBoxLayout(this);
    column->setSizeConstraint(QLayout::SetNoConstraint);
    column->setSpacing(kSpacing);
    const QRect card = cardRect();  // so far only the margin
    column->setContentsMargins(card.x() + kInsetSide, card.y() + kInsetTop, card.x() + kInsetSide,
                               card.y() + kInsetTop);
    for (QWidget* item : {static_cast<QWidget*>(icon), static_cast<QWidget*>(title_),
                          static_cast<QWidget*>(body_)}) {
        item->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        column->addWidget(item, 0, Qt::AlignHCenter);
    }
    const QSizeF size = QSizeF(column->sizeHint()) - QSizeF(2 * card.x(), 2 * card.y());
    const QScreen* screen = platform::screen::primaryScreen();
    setFrame(centredFrame(size, screen != nullptr ? std::optional(platform::screen::fromQt(
                                                        QRectF(screen->geometry())))
                                                  : std::nullopt));

    // Above the column, 8 points inside the card's top-right corner; reached by Tab, and ringed
    // faintly while it has the focus.
    close_ = new QToolButton(this);
    close_->setGeometry(cardRect().right() + 1 - kCloseInset - kCloseSide,
                        cardRect().top() + kCloseInset, kCloseSide, kCloseSide);
    close_->setIcon(QIcon(symbolPicture("xmark.circle.fill", 14, SymbolArt::Weight::Medium,
                                        QColor::fromRgbF(1, 1, 1, 0.6),
                                        QSizeF(kCloseSide, kCloseSide), ratio)));
    close_->setIconSize(QSize(kCloseSide, kCloseSide));
    close_->setStyleSheet(
        QStringLiteral("QToolButton { border: none; padding: 0; }"
                       "QToolButton:focus { background: rgba(255, 255, 255, 0.4); "
                       "border-radius: %1px; }")
            .arg(kCloseSide / 2));
    close_->setFocusPolicy(Qt::TabFocus);
    //: A card's close button, as screen readers name it.
    close_->setAccessibleName(tr("Close"));
    connect(close_, &QToolButton::clicked, this, std::move(close));
}

void InfoCard::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        close_->click();
    else
        DesktopCard::keyPressEvent(event);
}

}  // namespace corkwallery
