#pragma once

#include <QRectF>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "app/DesktopCard.h"

class QLabel;
class QToolButton;

namespace corkwallery {

// The welcome and help cards: an icon, a title and a body in a centred column (spacing 8, insets
// 24 / 32 / 24 / 32) on a black card of alpha 0.7 and corner radius 16, exactly as large as the
// column needs and centred on the main screen (the 1440 x 900 rectangle without one). The help
// card has a close button 8 points inside its top-right corner.
class InfoCard final : public DesktopCard {
    Q_OBJECT
public:
    // Welcome: "Welcome to Corkwallery", and the body names the tray icon when `inTray`, else the
    // corner card.
    static std::unique_ptr<InfoCard> welcome(bool inTray);
    // Help: "How to Use Corkwallery"; `close` runs when its close button is clicked.
    static std::unique_ptr<InfoCard> help(std::function<void()> close);

    QToolButton* closeButton() const { return close_; }

    // The frame that centres a card of `size` on a screen of `screenFrame` (both y up).
    static QRectF centredFrame(QSizeF size, std::optional<QRectF> screenFrame);

private:
    InfoCard(const char* symbol, const QString& title, const QString& body, int bodyLines,
             std::function<void()> close);

    QLabel* title_ = nullptr;
    QLabel* body_ = nullptr;
    QToolButton* close_ = nullptr;
};

}  // namespace corkwallery
