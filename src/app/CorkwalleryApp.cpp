#include "app/CorkwalleryApp.h"

#include <QAccessibleObject>
#include <QApplication>
#include <QCommandLineParser>
#include <QSessionManager>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string_view>

#include "app/AppDelegate.h"
#include "app/InfoCard.h"
#include "app/RunningCopy.h"
#include "app/Translations.h"
#include "decode/PreviewCache.h"
#include "desktop/PhotoAccessibility.h"
#include "platform/DisplayChoice.h"
#include "platform/InstanceLock.h"
#include "platform/Log.h"
#include "platform/UnixSignals.h"
#include "store/AppFolders.h"
#include "store/PhotoCopies.h"

namespace corkwallery {

namespace {

void setNames() {
    QCoreApplication::setOrganizationName(QStringLiteral("Corkwallery"));
    QCoreApplication::setApplicationName(QStringLiteral("Corkwallery"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORKWALLERY_VERSION));
}

// The application as screen readers list it: by its name, described by what it does rather than
// by the program's path, as Qt's would be.
class ApplicationAccessibility final : public QAccessibleApplication {
public:
    QString text(QAccessible::Text t) const override {
        //: What the application does, as screen readers describe it.
        return t == QAccessible::Description ? CorkwalleryApp::tr("Pins photos on your desktop")
                                             : QAccessibleApplication::text(t);
    }
};

QAccessibleInterface* applicationAccessibility(const QString&, QObject* object) {
    return object != nullptr && object == QCoreApplication::instance()
               ? new ApplicationAccessibility
               : nullptr;
}

}  // namespace

int CorkwalleryApp::main(int argc, char** argv) {
    CorkwalleryApp app(argc, argv);
    return app.run();
}

CorkwalleryApp::CorkwalleryApp(int& argc, char** argv) {
    {
        // Only the command line and the hand-off to a running copy: no display is needed yet.
        // The usage names the program as installed, whatever path started it.
        char programName[] = "corkwallery";
        std::vector<char*> named{programName};
        named.insert(named.end(), argv + std::min(argc, 1), argv + argc);
        int namedCount = static_cast<int>(named.size());
        named.push_back(nullptr);
        QCoreApplication commandLine(namedCount, named.data());
        setNames();
        const Translations texts;  // --help and what a hand-over that fails prints
        exitCode_ = readCommandLine(argc, argv);
        if (exitCode_) {
            terminated_ = true;
            return;
        }
        // Two copies would overwrite each other's state file and lose pins, so a second one
        // hands its files to the first and leaves before it reads or writes anything. Held until
        // the process ends.
        lock_ = std::make_unique<platform::InstanceLock>(AppFolders::instanceLockURL());
        const auto locked = lock_->tryLock();
        if (!locked) {
            // Without the lock another copy may be saving: its temporary files are left alone.
            platform::log("ERROR taking the single-instance lock: " + locked.error().message +
                          " \u2014 running without it");
        } else if (locked.value()) {
            PhotoCopies::removeInterruptedWrites();
            PreviewCache::makePrivate();
        } else {
            platform::log("Corkwallery is already running \u2014 exiting");
            exitCode_ = RunningCopy::handOver(lock_->path(), files_);
            terminated_ = true;
            return;
        }
    }
    platform::prepareDisplay();
    // Before the application, which screen readers may ask for at once.
    QAccessible::installFactory(applicationAccessibility);
    QAccessible::installFactory(PhotoAccessibility::factory);
    QAccessible::installFactory(InfoCard::accessibleFactory);
    application_ = std::make_unique<QApplication>(argc, argv);
    platform::chooseDesktopSurfaces();
    setNames();
    translations_ = std::make_unique<Translations>();
    QGuiApplication::setDesktopFileName(QStringLiteral(CORKWALLERY_APP_ID));
    // Closing windows never ends the application.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QCoreApplication::setQuitLockEnabled(false);
    signals_ = std::make_unique<platform::UnixSignals>();
    QObject::connect(signals_.get(), &platform::UnixSignals::terminationRequested,
                     [this] { terminate(); });
    // The session manager asks for a save both at a checkpoint ("save session") and before the
    // session ends; Qt tells neither apart. Only the save here: at the end the manager's Die
    // follows, which reaches the application as a quit (AppDelegate::eventFilter).
    QObject::connect(application_.get(), &QGuiApplication::commitDataRequest,
                     [this](QSessionManager&) {
                         if (!terminated_)
                             platform::discard(delegate_->pins().saveState());
                     });
    // Qt would have the session manager restart the program at the next login with "-session
    // ID", which the command line refuses; the autostart entry ("Start at Login") starts it.
    QObject::connect(
        application_.get(), &QGuiApplication::saveStateRequest,
        [](QSessionManager& manager) { manager.setRestartHint(QSessionManager::RestartNever); });
    delegate_ = std::make_unique<AppDelegate>();
    QObject::connect(delegate_.get(), &AppDelegate::terminateRequested, [this] { terminate(); });
    application_->installEventFilter(delegate_.get());
    if (lock_->isLocked()) {
        runningCopy_ = std::make_unique<RunningCopy>(
            lock_->path(), [this](const std::vector<std::string>& files,
                                  const QStringList& languages, const RunningCopy::Reply& reply) {
                delegate_->answerOtherStart(files, languages, reply);
            });
    }
}

CorkwalleryApp::~CorkwalleryApp() = default;

std::optional<int> CorkwalleryApp::readCommandLine(int argc, char** argv) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("Pins photos onto the desktop. Files given are pinned as \"Add Photo\" pins them; "
           "when Corkwallery already runs, they are handed to it."));
    // Qt's help option would bring --help-all, which says the same here: no Qt option applies
    // before the display is chosen. Its text is still Qt's, in Qt's translations.
    constexpr char kQtParser[] = "QCommandLineParser";
    const QCommandLineOption help(
        {QStringLiteral("h"), QStringLiteral("help")},
        QCoreApplication::translate(kQtParser, "Displays help on commandline options."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    //: The name the usage gives the file arguments.
    const QString fileName = tr("FILE");
    parser.addPositionalArgument(fileName, tr("A photo to pin."),
                                 QLatin1Char('[') + fileName + QStringLiteral("...]"));
    const auto print = [](std::FILE* stream, const QString& text) {
        std::fputs(text.toLocal8Bit().constData(), stream);
    };
    if (!parser.parse(QCoreApplication::arguments())) {
        print(stderr, parser.errorText() + QStringLiteral("\n\n") + parser.helpText());
        return 2;
    }
    if (parser.isSet(help)) {
        print(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        print(stdout, QCoreApplication::applicationName() + QLatin1Char(' ') +
                          QCoreApplication::applicationVersion() + QLatin1Char('\n'));
        return 0;
    }
    // Every other argument is a file: the paths are taken as the bytes given, since a name need
    // not be valid UTF-8, and made absolute now, as a running copy has another folder.
    bool separated = false;
    for (int i = 1; i < argc; ++i) {
        if (!separated && std::string_view(argv[i]) == "--") {
            separated = true;
            continue;
        }
        std::error_code error;
        const std::filesystem::path file = std::filesystem::absolute(argv[i], error);
        if (error)
            platform::log("ERROR: cannot find " + std::string(argv[i]) + ": " + error.message());
        else
            files_.push_back(file.string());
    }
    return std::nullopt;
}

int CorkwalleryApp::run() {
    if (exitCode_)
        return *exitCode_;
    // The first thing the running loop does, before it reads any input; requests from later
    // starts are read only after it, once the pins are there.
    QTimer::singleShot(0, application_.get(), [this] {
        if (terminated_)
            return;
        if (runningCopy_)
            runningCopy_->listen();
        delegate_->applicationDidFinishLaunching(files_);
    });
    QCoreApplication::exec();
    terminate();  // in case anything but terminate() ended the loop
    return 0;
}

void CorkwalleryApp::terminate() {
    if (terminated_)
        return;
    terminated_ = true;
    delegate_->applicationWillTerminate();
    // exit() rather than quit(): it leaves every running loop at once, modal ones too, without
    // Qt's attempt to close the windows first.
    QCoreApplication::exit(0);
}

}  // namespace corkwallery
