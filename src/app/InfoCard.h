#pragma once

#include <QAccessible>
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
// column needs and centred on the main screen (the 1440 x 900 rectangle without one), with a
// close button 8 points inside its top-right corner. Clicked, it takes the keyboard focus: Tab
// reaches the close button, and Escape closes it as that button does. Screen readers read it as a
// notification (welcome) or a dialog (help) named by its title and described by its body.
class InfoCard final : public DesktopCard {
    Q_OBJECT
public:
    // Welcome: "Welcome to Corkwallery", and the body names the tray icon when `inTray`, else the
    // corner card. `close` runs when the card is closed (its button, Escape).
    static std::unique_ptr<InfoCard> welcome(bool inTray, std::function<void()> close);
    // Help: "How to Use Corkwallery", closed likewise.
    static std::unique_ptr<InfoCard> help(std::function<void()> close);

    // For QAccessible::installFactory: a card's interface with the card's role, nothing for the
    // rest.
    static QAccessibleInterface* accessibleFactory(const QString& className, QObject* object);

    // The frame that centres a card of `size` on a screen of `screenFrame` (both y up).
    static QRectF centredFrame(QSizeF size, std::optional<QRectF> screenFrame);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    InfoCard(QAccessible::Role role, const char* symbol, const QString& title, const QString& body,
             int bodyLines, std::function<void()> close);

    QAccessible::Role role_;
    QLabel* title_ = nullptr;
    QLabel* body_ = nullptr;
    QToolButton* close_ = nullptr;
};

}  // namespace corkwallery
