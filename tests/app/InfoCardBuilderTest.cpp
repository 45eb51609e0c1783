#include "app/InfoCardBuilder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <cmath>
#include <string>

#include "platform/Button.h"
#include "platform/ImageImpl.h"
#include "platform/ImageView.h"
#include "platform/Label.h"
#include "platform/PanelWidget.h"
#include "platform/StackView.h"
#include "platform/SymbolArt.h"
#include "platform/ViewWidget.h"
#include "support/Polling.h"

namespace corkwallery {
namespace {

using platform::Color;
using platform::FontWeight;
using platform::Panel;
using platform::Rect;
using platform::Size;

enum class Card { Welcome, Help };

void PrintTo(Card card, std::ostream* out) {
    *out << (card == Card::Welcome ? "welcome card" : "help card");
}

std::unique_ptr<Panel> build(
    Card card, std::function<void()> closeAction = [] {}) {
    return card == Card::Welcome ? InfoCardBuilder::buildWelcomeCard(false)
                                 : InfoCardBuilder::buildHelpCard(std::move(closeAction));
}

platform::View& background(const Panel& panel) {
    return *panel.contentView();
}

platform::StackView& stackOf(const Panel& panel) {
    return dynamic_cast<platform::StackView&>(*background(panel).subviews().at(0));
}

platform::Button* closeButtonOf(const Panel& panel) {
    const auto& subviews = background(panel).subviews();
    return subviews.size() < 2 ? nullptr : dynamic_cast<platform::Button*>(subviews.back().get());
}

std::string symbolName(const std::optional<platform::Image>& image) {
    if (!image)
        return "";
    const auto* symbol = dynamic_cast<const platform::SymbolImpl*>(&image->impl());
    return symbol != nullptr ? symbol->name() : "";
}

// The window as shown, or with `cardOnly` just the card's frame, without the margin around it.
QImage render(const Panel& panel, int dpr = 1, bool cardOnly = true) {
    const int m = static_cast<int>(panel.drawingMargin());
    const QSize size = cardOnly ? QSize(static_cast<int>(panel.frame().width()),
                                        static_cast<int>(panel.frame().height()))
                                : panel.widget()->size();
    QImage out(size * dpr, QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(dpr);
    out.fill(Qt::transparent);
    panel.widget()->render(&out, cardOnly ? QPoint(-m, -m) : QPoint(), QRegion(),
                           QWidget::DrawChildren);
    return out;
}

class CardTest : public ::testing::TestWithParam<Card> {};

TEST_P(CardTest, IsExactlyItsStackAndCentredOnTheScreen) {
    auto panel = build(GetParam());
    const Size fitting = stackOf(*panel).fittingSize();
    const Rect frame = panel->frame();

    EXPECT_EQ(frame.size, fitting);
    EXPECT_EQ(stackOf(*panel).frame(), Rect({0, 0}, fitting));
    EXPECT_EQ(background(*panel).frame(), Rect({0, 0}, fitting));
    EXPECT_DOUBLE_EQ(frame.midX(), 720);
    EXPECT_DOUBLE_EQ(frame.midY(), 450);
    // A card is at least its insets and the icon, and wider than its title.
    EXPECT_GT(frame.width(), 64 + 32);
    EXPECT_GT(frame.height(), 48 + 32 + 16);
}

TEST_P(CardTest, StacksIconTitleAndBodyCentredWithItsInsets) {
    auto panel = build(GetParam());
    const platform::StackView& stack = stackOf(*panel);
    EXPECT_EQ(stack.orientation(), platform::StackOrientation::Vertical);
    EXPECT_EQ(stack.alignment(), platform::StackAlignment::Center);
    EXPECT_EQ(stack.spacing(), 8);
    EXPECT_EQ(stack.edgeInsets(), (platform::EdgeInsets{24, 32, 24, 32}));

    const auto arranged = stack.arrangedSubviews();
    ASSERT_EQ(arranged.size(), 3u);
    const auto* icon = dynamic_cast<const platform::ImageView*>(arranged[0]);
    const auto* title = dynamic_cast<const platform::Label*>(arranged[1]);
    const auto* body = dynamic_cast<const platform::Label*>(arranged[2]);
    ASSERT_TRUE(icon && title && body);

    const double w = panel->frame().width();
    const double h = panel->frame().height();
    // Top to bottom, 8 points apart, the icon 24 below the top, the body 24 above the bottom.
    EXPECT_EQ(icon->frame().size, (Size{32, 32}));
    EXPECT_EQ(icon->frame().maxY(), h - 24);
    EXPECT_EQ(title->frame().maxY(), icon->frame().minY() - 8);
    EXPECT_EQ(body->frame().maxY(), title->frame().minY() - 8);
    EXPECT_EQ(body->frame().minY(), 24);
    for (const platform::View* view : arranged) {
        EXPECT_NEAR(view->frame().midX(), w / 2, 0.5);
        EXPECT_GE(view->frame().minX(), 32);
    }

    // The limit fits the text: every line is shown.
    EXPECT_EQ(body->displayedText(), body->stringValue());
}

INSTANTIATE_TEST_SUITE_P(Cards, CardTest, ::testing::Values(Card::Welcome, Card::Help),
                         [](const auto& card) {
                             return card.param == Card::Welcome ? "Welcome" : "Help";
                         });

TEST(CardFrame, IsCentredOnTheScreenOrOnTheFallbackRectangle) {
    struct Case {
        std::optional<Rect> screen;
        Rect expected;
    };
    const Case cases[] = {
        {std::nullopt, Rect(570, 400, 300, 100)},
        {Rect(0, 0, 1440, 900), Rect(570, 400, 300, 100)},
        {Rect(-1920, 100, 1920, 1080), Rect(-1110, 590, 300, 100)},
        {Rect(0, 0, 1441, 901), Rect(570.5, 400.5, 300, 100)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InfoCardBuilder::centredFrame({300, 100}, c.screen), c.expected);
}

TEST(HelpCard, HasItsCloseButtonEightPointsInsideTheTopRightCorner) {
    auto panel = build(Card::Help);
    const platform::Button* close = closeButtonOf(*panel);
    ASSERT_NE(close, nullptr);
    const Rect card = panel->frame();
    EXPECT_EQ(close->frame(), Rect(card.width() - 28, card.height() - 28, 20, 20));
    EXPECT_EQ(card.width() - close->frame().maxX(), 8);
    EXPECT_EQ(card.height() - close->frame().maxY(), 8);
    EXPECT_EQ(close->contentTintColor(), Color::white(0.6));
    ASSERT_TRUE(close->image());
    EXPECT_EQ(symbolName(close->image()), "xmark.circle.fill");
    EXPECT_EQ(close->image()->accessibilityDescription(), "Close");
    // In Qt's terms: 8 pixels from the top and right edges of the card, inside the margin the
    // window keeps for the card's shadow.
    const QRect native(close->widget()->mapTo(panel->widget(), QPoint()), QSize(20, 20));
    const int m = static_cast<int>(panel->drawingMargin());
    EXPECT_EQ(native, QRect(m + static_cast<int>(card.width()) - 28, m + 8, 20, 20));

    EXPECT_EQ(closeButtonOf(*build(Card::Welcome)), nullptr);
}

// Presses and releases the left button at a point of the card (Qt's y-down coordinates), as
// the window system delivers it: Qt finds the widget under the pointer.
void clickWindow(const Panel& panel, QPoint at) {
    QWindow* window = panel.widget()->windowHandle();
    ASSERT_NE(window, nullptr);
    const int m = static_cast<int>(panel.drawingMargin());
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, at + QPoint(m, m));
}

TEST(HelpCard, CloseButtonRunsItsActionOncePerClickAndMayCloseTheCard) {
    int clicks = 0;
    std::unique_ptr<Panel> panel;
    panel = build(Card::Help, [&] {
        ++clicks;
        // What the controller does: close the card and let it go.
        panel->close();
        panel.reset();
    });
    ASSERT_TRUE(corkwallery::testing::waitUntil([&] { return panel->widget()->isVisible(); }));
    const int w = static_cast<int>(panel->frame().width());

    // A click elsewhere on the card does nothing.
    clickWindow(*panel, QPoint(w / 2, 20));
    clickWindow(*panel, QPoint(w - 40, 18));
    EXPECT_EQ(clicks, 0);
    ASSERT_NE(panel, nullptr);

    clickWindow(*panel, QPoint(w - 18, 18));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(panel, nullptr);
    // The card's widgets are deleted once the click is over.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(clicks, 1);
}

// The pixel at a point of the card, in y-up points.
QColor pixelAt(const QImage& image, double x, double yUp) {
    return image.pixelColor(static_cast<int>(x), static_cast<int>(image.height() - yUp));
}

// The brightest pixel of a rectangle of the card (y-up points), by its red channel.
QColor brightestIn(const QImage& image, Rect rect) {
    QColor best(0, 0, 0, 0);
    for (int x = static_cast<int>(rect.minX()); x < static_cast<int>(rect.maxX()); ++x) {
        for (int y = static_cast<int>(rect.minY()); y < static_cast<int>(rect.maxY()); ++y) {
            const QColor c = pixelAt(image, x + 0.5, y + 0.5);
            if (c.red() > best.red())
                best = c;
        }
    }
    return best;
}

TEST_P(CardTest, RendersARoundedTranslucentCardWithWhiteContentOverItsShadow) {
    auto panel = build(GetParam());
    const QImage image = render(*panel);
    const std::string path = std::string(CORKWALLERY_BUILD_DIR) + "/cards-" +
                             (GetParam() == Card::Welcome ? "welcome" : "help");
    const QImage window = render(*panel, 1, false);
    window.save(QString::fromStdString(path + ".png"));
    render(*panel, 2, false).save(QString::fromStdString(path + "@2x.png"));
    const double w = panel->frame().width();
    const double h = panel->frame().height();

    // The middle of each corner square lies outside the rounded outline: only shadow shows.
    for (const auto& [x, y] : {std::pair{3.0, 3.0}, {w - 3, 3.0}, {3.0, h - 3}, {w - 3, h - 3}})
        EXPECT_LT(pixelAt(image, x, y).alphaF(), 0.34) << x << ", " << y;
    // The shadow lies below the card, in the window's margin, and fades out before its edge.
    const double m = panel->drawingMargin();
    const QColor below = pixelAt(window, m + w / 2, m - 3);
    EXPECT_GT(below.alphaF(), 0.1);
    EXPECT_EQ(below.red(), 0);
    EXPECT_EQ(pixelAt(window, 1, 1).alpha(), 0);
    EXPECT_EQ(pixelAt(window, m + w / 2, 2 * m + h - 1).alpha(), 0);
    // The inset margin is plain black at 0.7.
    const QColor inside = pixelAt(image, 12, h / 2);
    EXPECT_NEAR(inside.alphaF(), 0.7, 0.01);
    EXPECT_EQ(inside.red(), 0);

    // The icon, the title and the body are drawn in white or near it.
    const auto arranged = stackOf(*panel).arrangedSubviews();
    EXPECT_GT(brightestIn(image, arranged[0]->frame()).red(), 240);
    EXPECT_GT(brightestIn(image, arranged[1]->frame()).red(), 240);
    EXPECT_GT(brightestIn(image, arranged[2]->frame()).red(), 180);
    if (const platform::Button* close = closeButtonOf(*panel)) {
        // White at 0.6 over the card: light grey, never pure white.
        const QColor mark = brightestIn(image, close->frame());
        EXPECT_GT(mark.red(), 150);
        EXPECT_LT(mark.red(), 240);
    }
}

}  // namespace
}  // namespace corkwallery
