#pragma once

#include <QObject>
#include <memory>

#include "app/InfoCard.h"
#include "app/StatusItem.h"
#include "pins/PinBoard.h"

namespace corkwallery {

// The application's one controller. It owns the pins (and with them every pin window), the tray
// item and the info cards; it runs the launch sequence, answers the menu, and saves the state on
// every change and once more at the end.
class AppDelegate final : public QObject {
    Q_OBJECT
public:
    AppDelegate();
    ~AppDelegate() override;

    // Builds the tray item and its menu, restores the pins, and greets a user who never added a
    // photo with the welcome card.
    void applicationDidFinishLaunching();
    bool applicationShouldTerminateAfterLastWindowClosed() const { return false; }
    // Saves once more.
    void applicationWillTerminate();

    void setupStatusItem();
    void showWelcomePanel();
    void showHelpPanel();

    // Installed on the application: a request to quit that reaches it (QCoreApplication::quit(),
    // the session manager's end) becomes terminateRequested, since Qt would first try to close
    // every window and give up, as pins refuse a close they did not ask for.
    bool eventFilter(QObject* watched, QEvent* event) override;

    PinBoard& pins() { return pins_; }
    StatusItem* statusItem() const { return statusItem_.get(); }
    InfoCard* welcomePanel() const { return welcomePanel_.get(); }
    InfoCard* helpPanel() const { return helpPanel_.get(); }

public slots:
    // The menu's actions. "Add Photo" opens the chooser (title "Choose a photo to pin to your
    // desktop", button "Pin to Desktop", one existing file of a type the decoder accepts).
    void addPhotoClicked();
    void removeAllPhotosClicked();
    void howToUseClicked();
    void closeHelpPanel();
    void quitClicked();

signals:
    // "Quit Corkwallery" was chosen.
    void terminateRequested();

private:
    // A pin window was made: the cards close and the user default records that a photo was added.
    void pinWindowCreated();

    PinBoard pins_;
    std::unique_ptr<StatusItem> statusItem_;
    std::unique_ptr<InfoCard> welcomePanel_;
    std::unique_ptr<InfoCard> helpPanel_;
};

}  // namespace corkwallery
