#include "platform/StatusItem.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <cmath>

#include "platform/EventInjection.h"
#include "platform/Panel.h"
#include "platform/PanelWidget.h"
#include "platform/ScreenCoordinates.h"

namespace corkwallery::platform {
namespace {

TEST(StatusItemPlaces, TheCardInTheWorkAreasCornerAndTheMenuBelowOrAboveTheTrayIcon) {
    const double side = StatusItem::kCardSide;
    const double inset = StatusItem::kCardInset;
    EXPECT_EQ(StatusItem::fallbackCardFrame(std::nullopt),
              Rect(1440 - inset - side, 900 - inset - side, side, side));
    EXPECT_EQ(StatusItem::fallbackCardFrame(Rect(-100, 50, 800, 600)),
              Rect(700 - inset - side, 650 - inset - side, side, side));

    // Screen coordinates point up: a top panel's icon has a high y.
    const Rect screen(0, 0, 1440, 900);
    EXPECT_EQ(StatusItem::trayMenuLocation(Rect(1400, 876, 24, 24), 120, screen),
              (Point{1400, 876}));
    EXPECT_EQ(StatusItem::trayMenuLocation(Rect(1400, 0, 24, 24), 120, screen), (Point{1400, 144}));
}

// Records which menus a click opened, instead of showing them. The tests' session bus and
// display have no tray host.
class StatusItemTest : public ::testing::Test {
protected:
    StatusItemTest() {
        Menu::setPopUpInterceptor([this](Menu& menu) { opened.push_back(&menu); });
        item.setImage(Image::systemSymbol("pin.fill", std::string("Corkwallery")));
        auto menu = std::make_unique<Menu>();
        menu->addItem("Add Photo", "n", [] {});
        item.setMenu(std::move(menu));
    }
    ~StatusItemTest() override { Menu::setPopUpInterceptor({}); }

    std::vector<Menu*> opened;
    StatusItem item;
};

TEST_F(StatusItemTest, WithoutATrayADesktopLevelCardInTheCornerOpensTheMenu) {
    ASSERT_TRUE(item.isFallbackCardShown());
    EXPECT_FALSE(item.isInTray());
    EXPECT_EQ(item.nativeTrayIcon(), nullptr);
    Panel& card = *item.fallbackCard();
    EXPECT_EQ(card.level(), WindowLevel::DesktopIcon);
    EXPECT_EQ(card.frame(), StatusItem::fallbackCardFrame(fromQt(
                                QRectF(QGuiApplication::primaryScreen()->availableGeometry()))));
    // The native window itself sits in the corner, in Qt's y-down coordinates.
    const QRect screen = primaryScreenGeometry();
    const QRect window = card.widget()->geometry();
    EXPECT_EQ(window.x() + window.width(), screen.x() + screen.width() - StatusItem::kCardInset);
    EXPECT_EQ(window.y(), screen.y() + StatusItem::kCardInset);

    for (const MouseAction click : {MouseAction::LeftDown, MouseAction::RightDown})
        sendMouseEvent(*card.contentView(), click, {card.frame().midX(), card.frame().midY()});
    EXPECT_EQ(opened, (std::vector<Menu*>{item.menu(), item.menu()}));
}

TEST_F(StatusItemTest, TrayIconReadsOnAnyPanel) {
    EXPECT_EQ(item.toolTip(), "Corkwallery");
    // Its solid colour keeps a contrast of 3:1 against both a white and a black panel.
    const QImage icon = item.trayIcon().pixmap(22, 22).toImage();
    QColor solid;
    for (int i = 0; i < icon.width() * icon.height() && !solid.isValid(); ++i) {
        const QColor c = icon.pixelColor(i % icon.width(), i / icon.width());
        if (c.alpha() == 255)
            solid = c;
    }
    ASSERT_TRUE(solid.isValid());
    auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double l = 0.2126 * linear(solid.redF()) + 0.7152 * linear(solid.greenF()) +
                     0.0722 * linear(solid.blueF());
    EXPECT_GE(1.05 / (l + 0.05), 3.0);
    EXPECT_GE((l + 0.05) / 0.05, 3.0);
}

}  // namespace
}  // namespace corkwallery::platform
