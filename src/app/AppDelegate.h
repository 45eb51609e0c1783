#pragma once

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/DesktopNotifications.h"
#include "app/InfoCard.h"
#include "app/PhotoChooser.h"
#include "app/StatusItem.h"
#include "pins/PinBoard.h"

namespace corkwallery {

class Translations;

// The application's one controller. It owns the pins (and with them every pin window), the tray
// item and the info cards; it runs the launch sequence, answers the menu, and saves the state on
// every change and once more at the end.
class AppDelegate final : public QObject {
    Q_OBJECT
public:
    AppDelegate();
    ~AppDelegate() override;

    // Builds the tray item and its menu, restores the pins, pins the files given on the command
    // line, and greets a user who never added a photo with the welcome card.
    void applicationDidFinishLaunching(const std::vector<std::string>& files = {});
    // Saves once more.
    void applicationWillTerminate();

    void setupStatusItem();
    // The welcome card names the tray icon when `inTray`, else the corner card; it is made anew
    // when the status item moves while it is shown.
    void showWelcomePanel(bool inTray);
    void showHelpPanel();

    // Pins each file as "Add Photo" does, around `at` (screen points; by default the main
    // screen's centre); a file that cannot be pinned is named, with the reason, in a desktop
    // notification. Once they are pinned, `answer` is given a line per file saying what
    // happened, through `answerTexts` when given.
    using Answer = std::function<void(const QString&)>;
    void pinPhotos(const std::vector<std::string>& files, std::optional<QPointF> at = std::nullopt,
                   const Answer& answer = {}, std::shared_ptr<const Translations> answerTexts = {});
    // Files dropped on a pin or a card: the line "Dropped <n> item(s) at (<x>, <y>)", then each
    // URL that is no file on this computer refused as no picture is, the files pinned around the
    // drop point.
    void pinDroppedFiles(const DroppedFiles& dropped);
    // A later start of the program handed these files over (to pin) or none (to show the help
    // card, so that the user sees where Corkwallery is). `answer` is given what to print for that
    // start, in the first of its `languages` the program has.
    void answerOtherStart(const std::vector<std::string>& files, const QStringList& languages,
                          const Answer& answer);

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
    // desktop", button "Pin to Desktop", existing files of the types the decoder accepts).
    void addPhotoClicked();
    void removeAllPhotosClicked();
    void undoRemoveClicked();
    void howToUseClicked();
    void closeHelpPanel();
    void quitClicked();

signals:
    // "Quit Corkwallery" was chosen.
    void terminateRequested();
    // The launch's pins and files are on the desktop, and the welcome card where it is due.
    void launched();

private:
    // A pin window was made: the cards close and the user default records that a photo was added.
    void pinWindowCreated();
    // Through the desktop's notification service; where none answers, the tray icon shows the
    // message itself (an X11 tray's balloon); without either the log line is all.
    void notifyNotPinned(const std::string& file, const QString& reason);
    // The notifications about removals and saves, and the tray's state, follow the pins.
    void followPins();
    // The tray menu's list of photos, each with its own entries, made at every opening.
    void listPhotos(QMenu& menu);
    // Pinned once the drop is over, so that its source is not kept waiting.
    void pinDroppedFilesLater(const DroppedFiles& dropped);

    PinBoard pins_;
    DesktopNotifications notifications_;
    QAction* undoRemove_ = nullptr;  // in the tray menu
    std::unique_ptr<StatusItem> statusItem_;
    std::unique_ptr<InfoCard> welcomePanel_;
    std::unique_ptr<InfoCard> helpPanel_;
    std::unique_ptr<PhotoChooser> photoChooser_ = std::make_unique<PhotoChooser>();
};

}  // namespace corkwallery
