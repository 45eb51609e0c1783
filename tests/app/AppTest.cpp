#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <csignal>
#include <functional>
#include <random>

#include "app/AppDelegate.h"
#include "app/DesktopCard.h"
#include "desktop/PinWindow.h"
#include "platform/InstanceLock.h"
#include "support/CapturedLog.h"
#include "support/Polling.h"
#include "support/SavedPins.h"
#include "support/TemporaryHome.h"

namespace corkwallery {
namespace {

using testing::savePins;

// Chooses `title` in the menu that is open, as the user would.
void choose(const QString& title) {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    // By the keyboard: Qt 6.8's offscreen platform takes a click on a menu as one outside it.
    for (int i = 0; i < menu->actions().size(); ++i) {
        QTest::keyClick(menu, Qt::Key_Down);
        if (menu->activeAction() != nullptr && menu->activeAction()->text() == title)
            return QTest::keyClick(menu, Qt::Key_Return);
    }
    ADD_FAILURE() << "no " << title.toStdString();
}

// A home of its own, whose user defaults QSettings reads too (it keeps the first folder it saw),
// and a delegate launched in it, perhaps with a saved pin (and its copy) and the user default.
struct App : testing::TemporaryHome {
    explicit App(bool pinned = false, bool copied = false, bool addedBefore = false) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString((root() / "config").string()));
        if (addedBefore)
            QSettings("Corkwallery", "Corkwallery").setValue("hasAddedFirstPhoto", true);
        if (pinned)
            savePins({{"P.png", "", 300, 400, 60, 40, 0.05, "red", false}}, copied);
        const QSignalSpy launched(&delegate, &AppDelegate::launched);
        delegate.applicationDidFinishLaunching();
        EXPECT_TRUE(testing::waitUntil([&] { return launched.count() == 1; }));
    }
    // Opens the tray menu from the corner card that stands in for the tray (offscreen has none).
    void openMenu() { QTest::mouseClick(delegate.statusItem()->fallbackCard(), Qt::LeftButton); }
    void command(const QString& title) {
        openMenu();
        choose(title);
    }

    AppDelegate delegate;
};

TEST(app, LaunchGreetsOnlyAUserWhoNeverPinnedAPhoto) {
    for (const auto& [pinned, copied, addedBefore, welcome] : {
             std::array{false, false, false, true},  // a new user
             std::array{false, false, true, false},  // one who removed every pin
             std::array{true, true, false, false},   // a pin restored
             std::array{true, false, false, true},   // no pin could be restored
         }) {
        SCOPED_TRACE(::testing::Message() << pinned << copied << addedBefore);
        App app(pinned, copied, addedBefore);
        EXPECT_EQ(QSettings("Corkwallery", "Corkwallery").value("hasAddedFirstPhoto").toBool(),
                  addedBefore || copied);
        EXPECT_EQ(app.delegate.welcomePanel() != nullptr, welcome);
    }
}

// Picks the chooser's photo, or cancels the chooser, once it is open.
void answerChooser(const std::string& picked, bool accept) {
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->labelText(QFileDialog::Accept), "Pin to Desktop");
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
        for (const QString pattern : {"*.png", "*.jpg", "*.webp", "*.svg"})
            EXPECT_EQ(dialog->nameFilters().join(' ').contains(pattern), pattern != "*.svg");
        dialog->selectFile(QString::fromStdString(picked));
        accept ? static_cast<QDialog*>(dialog)->accept() : dialog->reject();
    });
}

// The tray menu opens from the corner card, and its shortcuts work while it is open. Each step
// of a session, as the user takes it, and what it leaves: the pins, the help card, the quit. (A
// photo's own "Lock Photo": the e2e.desktop-* journeys.)
TEST(app, MenusToggleTheHelpCardAndAddAndRemovePhotos) {
    App app(true, true);
    QMenu* menu = app.delegate.statusItem()->menu();
    const std::string picked = (app.root() / "home/Pictures/beach.png").string();
    testing::files::writePicture(picked, 60, 40);
    QSignalSpy quit(&app.delegate, &AppDelegate::terminateRequested);
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers modifiers) {
        app.openMenu();
        QTest::keyClick(menu, k, modifiers);
    };
    const auto add = [&](bool accept) {
        answerChooser(picked, accept);
        key(Qt::Key_N, Qt::ControlModifier);
    };
    // "Remove Photo" from the first photo's own menu.
    const auto removeFirst = [&] {
        QTimer::singleShot(0, [] { choose("Remove Photo"); });
        QWidget* photo = app.delegate.pins().pinWindows()[0]->contentView();
        QContextMenuEvent click(QContextMenuEvent::Mouse, {}, photo->mapToGlobal(QPoint()));
        QApplication::sendEvent(photo, &click);
    };
    // The step, then the pins left, whether the help card is shown, how often quit was asked.
    const std::tuple<const char*, std::function<void()>, std::size_t, bool, int> steps[] = {
        {"How to Use", [&] { app.command("How to Use"); }, 1, true, 0},
        {"How to Use again", [&] { app.command("How to Use"); }, 1, false, 0},
        {"How to Use once more", [&] { app.command("How to Use"); }, 1, true, 0},
        {"Ctrl+N, cancelled", [&] { add(false); }, 1, true, 0},
        {"Ctrl+N, a photo chosen", [&] { add(true); }, 2, false, 0},
        {"Remove Photo", removeFirst, 1, false, 0},
        {"Remove All Photos", [&] { app.command("Remove All Photos"); }, 0, false, 0},
        {"Ctrl+Shift+Q", [&] { key(Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier); }, 0, false,
         0},
        {"Ctrl+Q", [&] { QTest::keyClick(menu, Qt::Key_Q, Qt::ControlModifier); }, 0, false, 1},
    };
    for (const auto& [step, take, pins, help, quits] : steps) {
        SCOPED_TRACE(step);
        take();
        testing::waitUntil([&] { return app.delegate.pins().pinWindows().size() == pins; });
        const auto saved = testing::savedPins();
        EXPECT_EQ(std::pair(app.delegate.pins().pinWindows().size(), saved.size()),
                  std::pair(pins, pins));
        // The restored pin went, the one added stays.
        EXPECT_TRUE(std::string_view(step) != "Remove Photo" || saved.at(0).originalPath == picked);
        EXPECT_EQ(std::tuple(app.delegate.helpPanel() != nullptr, quit.size(), menu->isVisible()),
                  std::tuple(help, quits, std::string_view(step) == "Ctrl+Shift+Q"));
    }
}

// Files dropped on a card are pinned side by side around the point they fall at (where exactly:
// PinPlacement); a web address among them is refused with the usual line. A drag of no URLs, or
// that would move the files, is refused before the drop. (On a pin, from a real drag source, with
// a name that is no UTF-8: e2e.compositors.)
TEST(app, DroppedFilesArePinnedWhereTheyFall) {
    App app;
    DesktopWindow* window = app.delegate.welcomePanel();
    ASSERT_NE(window, nullptr);
    QList<QUrl> photos;
    for (const char* name : {"0.jpg", "1.jpg"}) {
        const auto photo = app.root() / "Downloads" / name;
        testing::files::writePicture(photo, 60, 40);
        photos << QUrl::fromLocalFile(QString::fromStdString(photo.string()));
    }
    QMimeData files, text;
    files.setUrls(photos);
    text.setText("just text");
    for (const auto& [data, actions, taken] : {
             std::tuple{&files, Qt::CopyAction | Qt::MoveAction, Qt::CopyAction},
             {&files, Qt::MoveAction, Qt::IgnoreAction},
             {&text, Qt::CopyAction, Qt::IgnoreAction},
         }) {
        QDragEnterEvent enter(QPoint(4, 4), actions, data, Qt::LeftButton, {});
        QApplication::sendEvent(window, &enter);
        EXPECT_EQ(enter.isAccepted() ? enter.dropAction() : Qt::IgnoreAction, taken);
    }

    const std::string web = "https://example.org/cat.png";
    files.setUrls({photos[0], QUrl(QString::fromStdString(web)), photos[1]});
    const QPointF at = window->frame().center();
    QDropEvent drop(QPointF(window->width() / 2.0, window->height() / 2.0),
                    Qt::CopyAction | Qt::MoveAction, &files, Qt::LeftButton, {});
    testing::CapturedLog log;
    QApplication::sendEvent(window, &drop);
    EXPECT_EQ(std::pair(drop.isAccepted(), drop.dropAction()), std::pair(true, Qt::CopyAction));
    ASSERT_TRUE(testing::waitUntil([&] { return app.delegate.pins().pinWindows().size() == 2; }));
    EXPECT_THAT(
        log.lines(),
        ::testing::Contains("[Corkwallery] ERROR: failed to load image from " + web).Times(1));
    const auto saved = testing::savedPins();
    ASSERT_EQ(saved.size(), 2u);
    for (const int i : {0, 1})
        EXPECT_EQ(saved[i].originalPath, photos[i].toLocalFile().toStdString());
    EXPECT_NEAR((saved[0].centerX + saved[1].centerX) / 2, at.x(), 1);
    EXPECT_EQ(saved[0].centerY, saved[1].centerY);
    EXPECT_NEAR(saved[0].centerY, at.y(), 1);
}

// The real program makes one more save, of the same records, on every signal before the exit with
// 0. A lock that cannot be taken for a reason other than a running copy (app.FilesGiven*) is
// reported first and the program runs on. Without an X11 display (a Wayland session without
// XWayland) it cannot start.
TEST(app, ProgramSavesOnceMoreOnSignalsRunningOnceWhateverTheLock) {
    // The lock is free, or a folder stands in its way; or no display.
    enum Lock { Free, Folder, NoDisplay };
    for (const auto& [signal, lock] :
         {std::pair{SIGTERM, Free}, {SIGINT, Folder}, {SIGHUP, Free}, {0, NoDisplay}}) {
        SCOPED_TRACE(lock);
        testing::TemporaryHome home;
        const std::string state =
            savePins({{"A.png", "", 640, 412.5, 300, 200, 0.05, "blue", true}});
        std::string first =
            "[Corkwallery] loadState() \u2014 looking for: " + AppFolders::stateFileURL();
        platform::InstanceLock other(AppFolders::instanceLockURL());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (lock == Folder) {
            std::filesystem::create_directories(other.path());
            first = "[Corkwallery] ERROR taking the single-instance lock: " + other.path() +
                    ": Is a directory \u2014 running without it";
        } else if (lock == NoDisplay) {
            environment.remove("DISPLAY");
            environment.insert("QT_QPA_PLATFORM", "wayland");
            first.clear();
        }
        QProcess program;
        program.setProcessEnvironment(environment);
        // Signals ignored by whoever started the tests (nohup) would stay ignored in the child.
        program.setChildProcessModifier([] {
            std::signal(SIGINT, SIG_DFL);
            std::signal(SIGHUP, SIG_DFL);
        });
        program.start(CORKWALLERY_BINARY, {});
        QByteArray out;  // read until the launch is over, then signalled
        for (; signal != 0 && !out.contains("restored"); out += program.readAllStandardOutput())
            ASSERT_TRUE(program.waitForReadyRead(15000)) << out.toStdString();
        ::kill(static_cast<pid_t>(program.processId()), signal);  // 0 sends nothing
        ASSERT_TRUE(program.waitForFinished(15000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), lock == NoDisplay ? 1 : 0);
        const std::string log = (out + program.readAllStandardOutput()).toStdString();
        EXPECT_EQ(log.substr(0, log.find('\n')), first);
        // The launch's save and the signal's.
        EXPECT_EQ(QByteArray::fromStdString(log).count("saveState() called"), signal ? 2 : 0);
        EXPECT_EQ(testing::files::readBytes(AppFolders::stateFileURL()), state);
        EXPECT_TRUE(lock != NoDisplay ||
                    program.readAllStandardError() ==
                        "corkwallery: cannot start: no X11 display (DISPLAY is not set); "
                        "Corkwallery needs an X11 session or XWayland\n");
    }
}

// Killed at random moments of its launch, before, between and during the saves that follow each
// restored pin, the program leaves every pin in the state file, byte for byte. A last run, ended
// in order, clears what the interrupted saves left behind, and the user's backup stays.
TEST(app, CrashConsistency) {
    constexpr int kPins = 12;
    constexpr int kKills = 200;
    testing::TemporaryHome home;
    std::vector<PinnedPhotoState> all;
    for (int i = 0; i < kPins; ++i)
        all.push_back({"P" + std::to_string(i) + ".png", "/p", 100.0 + 90 * i, 200.5 + 40 * i, 200,
                       150, 0.01 * i, "blue", i % 2 == 0});
    const std::string full = savePins(all);
    testing::files::writeBytes(AppFolders::stateFileURL() + ".backup", full);
    std::mt19937 random(20261206);
    int killedMidRestore = 0;
    for (int run = 0; run <= kKills; ++run) {  // the last one ends in order
        testing::files::writeBytes(AppFolders::stateFileURL(), full);
        QProcess program;
        program.start(CORKWALLERY_BINARY, {});
        // None, some or all of the saves, then a little more.
        const int saves = run < kKills ? std::uniform_int_distribution(0, kPins)(random) : kPins;
        QByteArray out;
        for (; out.count("saveState() called") < saves; out += program.readAllStandardOutput())
            ASSERT_TRUE(program.waitForReadyRead(30000)) << out.toStdString();
        QThread::usleep(std::uniform_int_distribution(0, 1000)(random));
        ::kill(static_cast<pid_t>(program.processId()), run < kKills ? SIGKILL : SIGTERM);
        ASSERT_TRUE(program.waitForFinished(10000));
        out += program.readAllStandardOutput();
        EXPECT_EQ(testing::files::readBytes(AppFolders::stateFileURL()), full) << "run " << run;
        killedMidRestore += out.count("Window restored successfully") < kPins ? 1 : 0;
    }
    EXPECT_GT(killedMidRestore, kKills / 2);  // most kills landed during the launch
    EXPECT_EQ(testing::files::readBytes(AppFolders::stateFileURL() + ".backup"), full);
    // Beside it only the images folder and the state file: no temporary file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(AppFolders::appFolderURL()), {}),
              3);
}

}  // namespace
}  // namespace corkwallery
