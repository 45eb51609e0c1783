#include "app/AppDelegate.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMimeDatabase>
#include <QSettings>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTimer>

#include "app/StartAtLogin.h"
#include "app/Translations.h"
#include "decode/PhotoDecoder.h"
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

// One filter that lists every image type the decoder reads, by file name pattern.
QString imageNameFilter() {
    const QMimeDatabase database;
    QStringList patterns;
    for (const QByteArray& name : PhotoDecoder::supportedMimeTypes()) {
        for (const QString& pattern :
             database.mimeTypeForName(QString::fromLatin1(name)).globPatterns()) {
            if (!patterns.contains(pattern))
                patterns.append(pattern);
        }
    }
    patterns.sort();
    //: The chooser's file type: %1 is the list of file name patterns, in parentheses.
    return AppDelegate::tr("Images (%1)").arg(patterns.join(QLatin1Char(' ')));
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
        //: A desktop notification's title, when a tiling window manager places the photos.
        notify(tr("Photos cannot be placed freely"),
               //: A desktop notification's text, when a tiling window manager places the photos.
               tr("This window manager places Corkwallery's photos itself. Their saved places are "
                  "kept."));
    });
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching(const std::vector<std::string>& files) {
    setupStatusItem();
    pins_.restorePinnedPhotos();
    pinPhotos(files);
    if (!pins_.pinWindows().empty())
        return;
    if (!userDefaults().value(kHasAddedFirstPhoto).toBool())
        showWelcomePanel(statusItem_->isInTray());
}

void AppDelegate::applicationWillTerminate() {
    pins_.saveState();
}

void AppDelegate::setupStatusItem() {
    auto menu = std::make_unique<QMenu>();
    // Shortcuts are the same in every language.
    const auto add = [&](const QString& title, void (AppDelegate::*action)(),
                         const QKeySequence& shortcut = {}) {
        QAction* item = menu->addAction(title, this, action);
        item->setShortcut(shortcut);
        item->setShortcutVisibleInContextMenu(true);
    };
    add(tr("Add Photo"), &AppDelegate::addPhotoClicked, QKeySequence(Qt::CTRL | Qt::Key_N));
    menu->addSeparator();
    add(tr("Remove All Photos"), &AppDelegate::removeAllPhotosClicked);
    menu->addSeparator();
    add(tr("How to Use"), &AppDelegate::howToUseClicked);
    menu->addSeparator();
    QAction* startAtLogin = menu->addAction(tr("Start at Login"));
    startAtLogin->setCheckable(true);
    const auto showStartAtLogin = [startAtLogin] {
        startAtLogin->setChecked(StartAtLogin::isEnabled());
    };
    connect(startAtLogin, &QAction::triggered, this, [showStartAtLogin](bool checked) {
        StartAtLogin::setEnabled(checked, QCoreApplication::applicationFilePath());
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
    welcomePanel_ = InfoCard::welcome(inTray);
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
    QFileDialog dialog;
    dialog.setWindowTitle(tr("Choose a photo to pin to your desktop"));
    dialog.setLabelText(QFileDialog::Accept, tr("Pin to Desktop"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::ReadOnly);
    dialog.setNameFilter(imageNameFilter());
    dialog.setWindowModality(Qt::ApplicationModal);
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QDir(pictures).exists())
        dialog.setDirectory(pictures);
    // The application is never active: the chooser is brought to the user.
    QTimer::singleShot(0, &dialog, [&dialog] {
        dialog.raise();
        dialog.activateWindow();
    });
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::vector<std::string> files;
    for (const QString& file : dialog.selectedFiles())
        files.push_back(platform::files::fromQt(file));
    pinPhotos(files);
}

QString AppDelegate::pinPhotos(const std::vector<std::string>& files,
                               const Translations* answerTexts, std::optional<QPointF> at) {
    // The answer in its start's language; the notifications in ours.
    const auto answerText = [answerTexts](const char* source) {
        return answerTexts != nullptr ? answerTexts->translate(kContext, source)
                                      : QCoreApplication::translate(kContext, source);
    };
    QString answer;
    const auto outcomes = pins_.addPhotos(files, at);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& file = files[i];
        const QString shown = platform::files::toQt(platform::escaped(file));
        if (!outcomes[i]) {
            //: Printed for a later start that handed this file over: %1 is its path.
            answer +=
                answerText(QT_TRANSLATE_NOOP("corkwallery::AppDelegate", "Pinned %1")).arg(shown) +
                QLatin1Char('\n');
            continue;
        }
        const char* const reason = failureReason(*outcomes[i]);
        //: Printed for a later start that handed this file over: %1 is its path, %2 the reason.
        answer += answerText(QT_TRANSLATE_NOOP("corkwallery::AppDelegate", "Not pinned %1: %2."))
                      .arg(shown, answerText(reason)) +
                  QLatin1Char('\n');
        notifyNotPinned(file, QCoreApplication::translate(kContext, reason));
    }
    return answer;
}

QString AppDelegate::answerOtherStart(const std::vector<std::string>& files,
                                      const QStringList& languages) {
    const Translations texts(languages);
    if (!files.empty())
        return pinPhotos(files, &texts);
    if (helpPanel_)
        helpPanel_->orderFront();
    else
        showHelpPanel();
    return texts.translate(kContext,
                           QT_TRANSLATE_NOOP("corkwallery::AppDelegate",
                                             "Corkwallery is running; its help card is on the "
                                             "desktop.\n"));
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
    pinPhotos(dropped.paths, nullptr, dropped.at);
}

void AppDelegate::pinDroppedFilesLater(const DroppedFiles& dropped) {
    QTimer::singleShot(0, this, [this, dropped] { pinDroppedFiles(dropped); });
}

void AppDelegate::removeAllPhotosClicked() {
    pins_.removeAllPhotos();
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
    notify(tr("Photo not pinned"),
           //: A desktop notification's text: %1 is the file's name, %2 the reason.
           tr("%1 was not pinned: %2.")
               .arg(QFileInfo(platform::files::toQt(file)).fileName(), reason));
}

void AppDelegate::notify(const QString& title, const QString& body) {
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // The body may be read as markup.
    notify << QStringLiteral("Corkwallery") << 0u << QStringLiteral(CORKWALLERY_APP_ID) << title
           << body.toHtmlEscaped() << QStringList() << QVariantMap() << -1;
    auto* call = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(notify), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, call, title, body] {
        call->deleteLater();
        if (call->isError() && statusItem_ != nullptr && statusItem_->trayIcon() != nullptr)
            statusItem_->trayIcon()->showMessage(title, body, QSystemTrayIcon::Warning);
    });
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
