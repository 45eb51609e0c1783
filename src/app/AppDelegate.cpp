#include "app/AppDelegate.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QTimer>

#include "app/StartAtLogin.h"
#include "app/Translations.h"
#include "desktop/DraggableImageView.h"
#include "desktop/PinWindow.h"
#include "platform/Files.h"
#include "platform/Log.h"

namespace corkwallery {

namespace {

const QString kHasAddedFirstPhoto = QStringLiteral("hasAddedFirstPhoto");
// tr()'s context, for texts translated into another process's language too.
constexpr char kContext[] = "corkwallery::AppDelegate";

// Why a file was not pinned, untranslated; it follows a colon in the answer and the notification.
const char* failureReason(PinBoard::Failure failure) {
    switch (failure) {
        case PinBoard::Failure::TooLarge:
            return QT_TRANSLATE_NOOP("corkwallery::AppDelegate", "it is too large");
        case PinBoard::Failure::Unreadable:
            return QT_TRANSLATE_NOOP("corkwallery::AppDelegate", "it cannot be read");
        case PinBoard::Failure::CopyFailed:
            return QT_TRANSLATE_NOOP("corkwallery::AppDelegate",
                                     "it could not be copied into Corkwallery's folder");
        case PinBoard::Failure::NotAPicture:
            break;
    }
    return QT_TRANSLATE_NOOP("corkwallery::AppDelegate",
                             "it is not a picture Corkwallery can show");
}

QSettings userDefaults() {
    return QSettings(QStringLiteral("Corkwallery"), QStringLiteral("Corkwallery"));
}

// Closes a card; it goes once the event that closed it (perhaps a click on it) is over.
void closeCard(std::unique_ptr<InfoCard>& card) {
    if (!card)
        return;
    card->hide();
    card.release()->deleteLater();
}

}  // namespace

AppDelegate::AppDelegate() {
    connect(&pins_, &PinBoard::pinWindowCreated, this, &AppDelegate::pinWindowCreated);
    connect(&pins_, &PinBoard::filesDropped, this, &AppDelegate::pinDroppedFilesLater);
    connect(&pins_, &PinBoard::windowManagerPlacesPins, this, [this] {
        notifications_.show(
            DesktopNotifications::Topic::WindowManager,
            //: A desktop notification's title, when a tiling window manager places the photos.
            tr("Photos cannot be placed freely"),
            //: A desktop notification's text, when a tiling window manager places the photos.
            tr("This window manager places Corkwallery's photos itself. Their saved places are "
               "kept."));
    });
    // Where no notification service answers, an X11 tray's balloon says it.
    connect(&notifications_, &DesktopNotifications::notDelivered, this,
            [this](const QString& title, const QString& body) {
                if (statusItem_ != nullptr && statusItem_->trayIcon() != nullptr)
                    statusItem_->trayIcon()->showMessage(title, body, QSystemTrayIcon::Warning);
            });
    followPins();
}

void AppDelegate::followPins() {
    using Topic = DesktopNotifications::Topic;
    const auto showUndo = [this] {
        if (undoRemove_ != nullptr)
            undoRemove_->setEnabled(pins_.canUndoRemove());
    };
    connect(&pins_, &PinBoard::photosRemoved, this, [this, showUndo](const QStringList& names) {
        showUndo();
        // Without buttons on notifications, the tray menu's entry is the way back.
        if (!notifications_.showsActions())
            return;
        notifications_.show(
            Topic::Removed,
            //: A desktop notification's title after "Remove Photo" or "Remove All Photos".
            names.size() == 1 ? tr("Photo removed") : tr("Photos removed"),
            names.size() <= 3
                //: A desktop notification's text: %1 names the removed photos' files.
                ? tr("%1 went to the Trash.").arg(QLocale().createSeparatedList(names))
                //: A desktop notification's text: %1 is how many photos were removed.
                : tr("%1 photos went to the Trash.").arg(names.size()),
            //: The removal notification's button.
            tr("Undo"));
    });
    connect(&notifications_, &DesktopNotifications::actionInvoked, this, [this](Topic topic) {
        if (topic == Topic::Removed)
            pins_.undoRemove();
    });
    connect(&pins_, &PinBoard::removalUndone, this, [this, showUndo] {
        showUndo();
        notifications_.withdraw(Topic::Removed);
    });
    connect(&pins_, &PinBoard::copiesLost, this, [this](const QStringList& names) {
        notifications_.show(
            Topic::CopiesLost,
            //: A desktop notification's title when an undo cannot bring back every photo.
            tr("Some photos cannot be brought back"),
            //: A desktop notification's text: %1 names the photos that stay removed.
            tr("%1 can no longer be found in the Trash. The other photos are back.")
                .arg(QLocale().createSeparatedList(names)));
    });
    connect(&pins_, &PinBoard::savingFailed, this, [this](const QString& reason) {
        notifications_.show(
            Topic::NotSaved,
            //: A desktop notification's title when the photos' places cannot be saved.
            tr("Corkwallery cannot save your photos"),
            //: A desktop notification's text: %1 is the reason, as the system gives it.
            tr("%1\nYour photos stay on the desktop. Every change is saved as soon as "
               "Corkwallery's folder can be written again (there is room on the disk, the folder "
               "is writable).")
                .arg(reason));
        if (statusItem_ != nullptr)
            //: The tray icon's tool tip while saves fail.
            statusItem_->setToolTip(tr("Corkwallery — changes not saved: %1").arg(reason));
    });
    connect(&pins_, &PinBoard::savingResumed, this, [this] {
        notifications_.withdraw(Topic::NotSaved);
        if (statusItem_ != nullptr)
            statusItem_->setToolTip({});
    });
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching(const std::vector<std::string>& files) {
    setupStatusItem();
    pins_.restorePinnedPhotos();
    // Once the launch's pins and files are on the desktop.
    pinPhotos(files, std::nullopt, [this](const QString&) {
        if (pins_.pinWindows().empty() && !userDefaults().value(kHasAddedFirstPhoto).toBool())
            showWelcomePanel(statusItem_->isInTray());
        emit launched();
    });
}

// A failed save has been logged and told by savingFailed; there is no later try.
void AppDelegate::applicationWillTerminate() {
    platform::discard(pins_.saveState());
}

void AppDelegate::setupStatusItem() {
    auto menu = std::make_unique<QMenu>();
    // Shortcuts are the same in every language.
    const auto add = [&](const QString& title, void (AppDelegate::*action)(),
                         const QKeySequence& shortcut = {}) {
        QAction* item = menu->addAction(title, this, action);
        item->setShortcut(shortcut);
        item->setShortcutVisibleInContextMenu(true);
        return item;
    };
    add(tr("Add Photo"), &AppDelegate::addPhotoClicked, QKeySequence(Qt::CTRL | Qt::Key_N));
    //: The tray menu's list of the photos on the desktop, each with its own entries.
    QMenu* photos = menu->addMenu(tr("Photos"));
    connect(photos, &QMenu::aboutToShow, this, [this, photos] { listPhotos(*photos); });
    menu->addSeparator();
    add(tr("Remove All Photos"), &AppDelegate::removeAllPhotosClicked);
    undoRemove_ =
        add(tr("Undo Remove"), &AppDelegate::undoRemoveClicked, QKeySequence(Qt::CTRL | Qt::Key_Z));
    undoRemove_->setEnabled(pins_.canUndoRemove());
    menu->addSeparator();
    add(tr("How to Use"), &AppDelegate::howToUseClicked);
    menu->addSeparator();
    QAction* startAtLogin = menu->addAction(tr("Start at Login"));
    startAtLogin->setCheckable(true);
    const auto showStartAtLogin = [startAtLogin] {
        startAtLogin->setChecked(StartAtLogin::isEnabled());
    };
    connect(startAtLogin, &QAction::triggered, this, [showStartAtLogin](bool checked) {
        // A failure is logged there; the menu shows the entry as it now is.
        platform::discard(
            StartAtLogin::setEnabled(checked, QCoreApplication::applicationFilePath()));
        showStartAtLogin();
    });
    // The entry may be written or deleted behind our back: its state is read at every opening.
    connect(menu.get(), &QMenu::aboutToShow, startAtLogin, showStartAtLogin);
    showStartAtLogin();
    menu->addSeparator();
    add(tr("Quit Corkwallery"), &AppDelegate::quitClicked, QKeySequence(Qt::CTRL | Qt::Key_Q));
    statusItem_ = std::make_unique<StatusItem>(std::move(menu));
    connect(statusItem_.get(), &StatusItem::filesDropped, this, &AppDelegate::pinDroppedFilesLater);
    // A panel often starts after the program (Start at Login), or goes: the welcome card names
    // whichever of tray icon and corner card there is now.
    connect(statusItem_.get(), &StatusItem::placementChanged, this, [this](bool inTray) {
        if (!welcomePanel_)
            return;
        closeCard(welcomePanel_);
        showWelcomePanel(inTray);
    });
}

void AppDelegate::showWelcomePanel(bool inTray) {
    welcomePanel_ = InfoCard::welcome(inTray, [this] { closeCard(welcomePanel_); });
    connect(welcomePanel_.get(), &DesktopWindow::filesDropped, this,
            &AppDelegate::pinDroppedFilesLater);
    welcomePanel_->orderFront();
}

void AppDelegate::showHelpPanel() {
    helpPanel_ = InfoCard::help([this] { closeHelpPanel(); });
    connect(helpPanel_.get(), &DesktopWindow::filesDropped, this,
            &AppDelegate::pinDroppedFilesLater);
    helpPanel_->orderFront();
}

void AppDelegate::addPhotoClicked() {
    pinPhotos(photoChooser_->choose());
}

void AppDelegate::pinPhotos(const std::vector<std::string>& files, std::optional<QPointF> at,
                            const Answer& answer, std::shared_ptr<const Translations> answerTexts) {
    pins_.addPhotos(
        files, at, [this, files, answer, answerTexts](const PinBoard::Failures& outcomes) {
            // The answer in its start's language; the notifications in ours.
            const auto answerText = [&answerTexts](const char* source) {
                return answerTexts ? answerTexts->translate(kContext, source)
                                   : QCoreApplication::translate(kContext, source);
            };
            QString said;
            for (std::size_t i = 0; i < files.size(); ++i) {
                const std::string& file = files[i];
                const QString shown = platform::files::toQt(platform::escaped(file));
                if (!outcomes[i]) {
                    //: Printed for a later start that handed this file over: %1 is its path.
                    said += answerText(QT_TRANSLATE_NOOP("corkwallery::AppDelegate", "Pinned %1"))
                                .arg(shown) +
                            QLatin1Char('\n');
                    continue;
                }
                const char* const reason = failureReason(*outcomes[i]);
                //: Printed for a later start that handed this file over: %1 is its path, %2 the
                //: reason.
                said +=
                    answerText(QT_TRANSLATE_NOOP("corkwallery::AppDelegate", "Not pinned %1: %2."))
                        .arg(shown, answerText(reason)) +
                    QLatin1Char('\n');
                notifyNotPinned(file, QCoreApplication::translate(kContext, reason));
            }
            if (answer)
                answer(said);
        });
}

void AppDelegate::answerOtherStart(const std::vector<std::string>& files,
                                   const QStringList& languages, const Answer& answer) {
    auto texts = std::make_shared<const Translations>(languages);
    if (!files.empty())
        return pinPhotos(files, std::nullopt, answer, texts);
    if (helpPanel_)
        helpPanel_->orderFront();
    else
        showHelpPanel();
    answer(texts->translate(kContext,
                            QT_TRANSLATE_NOOP("corkwallery::AppDelegate",
                                              "Corkwallery is running; its help card is on the "
                                              "desktop.\n")));
}

void AppDelegate::pinDroppedFiles(const DroppedFiles& dropped) {
    platform::log("Dropped " + std::to_string(dropped.paths.size() + dropped.others.size()) +
                  " item(s) at (" + platform::formatDouble(dropped.at.x()) + ", " +
                  platform::formatDouble(dropped.at.y()) + ")");
    for (const std::string& other : dropped.others) {
        platform::log("  Refused " + other + ": not a file on this computer");
        platform::log("ERROR: failed to load image from " + other);
        notifyNotPinned(other, QCoreApplication::translate(
                                   kContext, failureReason(PinBoard::Failure::NotAPicture)));
    }
    pinPhotos(dropped.paths, dropped.at);
}

void AppDelegate::pinDroppedFilesLater(const DroppedFiles& dropped) {
    QTimer::singleShot(0, this, [this, dropped] { pinDroppedFiles(dropped); });
}

void AppDelegate::removeAllPhotosClicked() {
    pins_.removeAllPhotos();
}

void AppDelegate::undoRemoveClicked() {
    pins_.undoRemove();
}

void AppDelegate::listPhotos(QMenu& menu) {
    // The photos' menus of the last opening go with their entries.
    for (QAction* action : menu.actions()) {
        if (auto* photo = action->menu<QMenu*>())
            photo->deleteLater();
    }
    menu.clear();
    for (const PinWindow* window : pins_.pinWindows()) {
        DraggableImageView* view = window->contentView();
        //: A locked photo in the tray menu's list: %1 is its file's name.
        QMenu* photo = menu.addMenu(view->isLocked() ? tr("%1 (locked)").arg(view->photoName())
                                                     : view->photoName());
        view->addPhotoActions(*photo);
    }
    if (menu.isEmpty())
        //: The tray menu's list of photos when there is none.
        menu.addAction(tr("No photos"))->setEnabled(false);
}

void AppDelegate::howToUseClicked() {
    if (helpPanel_)
        closeHelpPanel();
    else
        showHelpPanel();
}

void AppDelegate::closeHelpPanel() {
    closeCard(helpPanel_);
}

void AppDelegate::quitClicked() {
    emit terminateRequested();
}

bool AppDelegate::eventFilter(QObject* watched, QEvent* event) {
    if (watched != QCoreApplication::instance() || event->type() != QEvent::Quit)
        return false;
    emit terminateRequested();
    return true;
}

void AppDelegate::notifyNotPinned(const std::string& file, const QString& reason) {
    //: A desktop notification's title.
    notifications_.show(DesktopNotifications::Topic::NotPinned, tr("Photo not pinned"),
                        //: A desktop notification's text: %1 is the file's name, %2 the reason.
                        tr("%1 was not pinned: %2.")
                            .arg(QFileInfo(platform::files::toQt(file)).fileName(), reason));
}

void AppDelegate::pinWindowCreated() {
    closeCard(welcomePanel_);
    closeCard(helpPanel_);
    QSettings settings = userDefaults();
    if (settings.value(kHasAddedFirstPhoto).toBool())
        return;
    // A write cut short by a crash leaves QSettings' lock file behind, which would stall this one
    // for half a minute; one copy of the program runs per user, so such a lock is stale.
    QFile::remove(settings.fileName() + QStringLiteral(".lock"));
    settings.setValue(kHasAddedFirstPhoto, true);
    settings.sync();
}

}  // namespace corkwallery
