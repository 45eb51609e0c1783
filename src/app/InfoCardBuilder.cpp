#include "app/InfoCardBuilder.h"

#include <string>
#include <vector>

#include "platform/Button.h"
#include "platform/Font.h"
#include "platform/ImageView.h"
#include "platform/Label.h"
#include "platform/Screen.h"
#include "platform/StackView.h"

namespace corkwallery {

using platform::Color;
using platform::FontWeight;
using platform::Image;
using platform::Panel;
using platform::Rect;
using platform::Size;
using platform::View;

namespace {

struct CardContent {
    const char* symbolName;
    const char* title;
    const char* body;
    int bodyLineLimit;
};

constexpr CardContent kWelcome{
    "pin.fill",
    "Welcome to Corkwallery",
    "Click the pin icon in your panel's tray\nto add your first photo.",
    2,
};
// Where no tray runs, the menu hangs from the card in the corner instead.
constexpr CardContent kWelcomeWithoutTray{
    "pin.fill",
    "Welcome to Corkwallery",
    "Click the pin card in the top-right corner\nto add your first photo.",
    2,
};

constexpr CardContent kHelp{
    "questionmark.circle.fill",
    "How to Use Corkwallery",
    "Drag a photo to move it around your desktop\n"
    "Hold Shift and drag to resize a photo\n"
    "Right-click a photo to lock, unlock, or remove it\n"
    "Your photos are saved automatically\n"
    "\n"
    "App works best with square or rectangle photos",
    6,
};

constexpr double kIconSide = 32;
constexpr double kIconPointSize = 22;
constexpr double kTitlePointSize = 16;
constexpr double kBodyPointSize = 13;
constexpr double kBodyAlpha = 0.8;
constexpr double kStackSpacing = 8;
constexpr platform::EdgeInsets kStackInsets{24, 32, 24, 32};
constexpr double kBackgroundAlpha = 0.7;
constexpr double kCornerRadius = 16;
constexpr double kCloseSide = 20;
constexpr double kCloseInset = 8;
constexpr double kClosePointSize = 14;
constexpr double kCloseAlpha = 0.6;

// A system symbol at a point size and medium weight; absent if the symbol cannot be made.
std::optional<Image> symbol(const char* name, std::optional<std::string> description,
                            double pointSize) {
    const auto image = Image::systemSymbol(name, std::move(description));
    if (!image)
        return std::nullopt;
    return image->withSymbolConfiguration({pointSize, FontWeight::Medium});
}

std::unique_ptr<platform::StackView> makeStack(const CardContent& content) {
    auto icon = std::make_unique<platform::ImageView>(Rect(0, 0, kIconSide, kIconSide));
    icon->setImage(symbol(content.symbolName, std::nullopt, kIconPointSize));
    icon->setContentTintColor(Color::white());

    auto title = platform::Label::withString(content.title);
    title->setFont(platform::Font::systemFont(kTitlePointSize, FontWeight::Semibold));
    title->setTextColor(Color::white());

    auto body = platform::Label::withString(content.body);
    body->setFont(platform::Font::systemFont(kBodyPointSize, FontWeight::Regular));
    body->setTextColor(Color::white(kBodyAlpha));
    body->setMaximumNumberOfLines(content.bodyLineLimit);
    body->setAlignment(platform::TextAlignment::Center);

    std::vector<std::unique_ptr<View>> views;
    views.push_back(std::move(icon));
    views.push_back(std::move(title));
    views.push_back(std::move(body));
    auto stack = platform::StackView::withViews(std::move(views));
    stack->setOrientation(platform::StackOrientation::Vertical);
    stack->setAlignment(platform::StackAlignment::Center);
    stack->setSpacing(kStackSpacing);
    stack->setEdgeInsets(kStackInsets);
    return stack;
}

std::unique_ptr<Panel> buildCard(const CardContent& content,
                                 std::optional<std::function<void()>> closeAction) {
    auto stack = makeStack(content);
    // The card is exactly as large as its content needs.
    const Size size = stack->fittingSize();
    const double w = size.width;
    const double h = size.height;
    stack->setFrame(Rect(0, 0, w, h));

    auto background = std::make_unique<View>(Rect(0, 0, w, h));
    background->setWantsLayer(true);
    if (platform::Layer* layer = background->layer()) {
        layer->setBackgroundColor(Color::black(kBackgroundAlpha));
        layer->setCornerRadius(kCornerRadius);
    }
    background->addSubview(std::move(stack));

    if (closeAction) {
        // Added after the stack, so it lies above it, 8 points inside the top-right corner.
        auto close = std::make_unique<platform::Button>(Rect(w - (kCloseSide + kCloseInset),
                                                             h - (kCloseSide + kCloseInset),
                                                             kCloseSide, kCloseSide));
        close->setImage(symbol("xmark.circle.fill", "Close", kClosePointSize));
        close->setContentTintColor(Color::white(kCloseAlpha));
        close->setAction(std::move(*closeAction));
        background->addSubview(std::move(close));
    }

    const auto screen = platform::Screen::main();
    auto panel = std::make_unique<Panel>(InfoCardBuilder::centredFrame(
        size, screen ? std::optional<Rect>(screen->frame) : std::nullopt));
    // The same level and behaviour as a pin window.
    panel->setLevel(platform::WindowLevel::DesktopIcon);
    panel->setOpaque(false);
    panel->setBackgroundColor(Color::clear());
    panel->setHasShadow(true);
    panel->setReleasedWhenClosed(false);
    panel->setCollectionBehavior(platform::CollectionCanJoinAllSpaces |
                                 platform::CollectionStationary | platform::CollectionIgnoresCycle);
    panel->setContentView(std::move(background));
    panel->orderFront();
    return panel;
}

}  // namespace

std::unique_ptr<Panel> InfoCardBuilder::buildWelcomeCard(bool cornerCardShown) {
    return buildCard(cornerCardShown ? kWelcomeWithoutTray : kWelcome, std::nullopt);
}

std::unique_ptr<Panel> InfoCardBuilder::buildHelpCard(std::function<void()> closeAction) {
    return buildCard(kHelp, std::move(closeAction));
}

Rect InfoCardBuilder::centredFrame(Size size, std::optional<Rect> screenFrame) {
    const Rect screen = screenFrame.value_or(Rect(0, 0, 1440, 900));
    return {screen.midX() - size.width * 0.5, screen.midY() - size.height * 0.5, size.width,
            size.height};
}

}  // namespace corkwallery
