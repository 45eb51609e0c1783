#include <gtest/gtest.h>

#include <QFile>
#include <QImageReader>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <filesystem>
#include <fstream>

#include "app/AppDelegate.h"
#include "app/StartAtLogin.h"
#include "support/CapturedLog.h"
#include "support/TemporaryHome.h"

namespace corkwallery {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), {}};
}

// "Start at Login" through the menu: our entry written (valid, whatever the binary's path holds)
// and removed; the check follows the file at each opening; a user's own entry is never deleted.
TEST(app, StartAtLoginWritesAndRemovesOnlyItsOwnAutostartEntry) {
    testing::TemporaryHome home;
    const fs::path entry =
        home.root() / "config/autostart/io.github.corkwallery.corkwallery.desktop";
    const std::string shown = entry.string();
    AppDelegate delegate;
    delegate.setupStatusItem();
    QMenu* menu = delegate.statusItem()->menu();
    QAction* item = menu->actions().at(menu->actions().size() - 3);
    ASSERT_EQ(item->text(), "Start at Login");
    const auto valid = [&] {
        return QStandardPaths::findExecutable("desktop-file-validate").isEmpty() ||
               QProcess::execute("desktop-file-validate", {QString::fromStdString(shown)}) == 0;
    };

    struct Step {
        const char* what;
        std::function<void()> act;
        bool checked;
        std::vector<std::string> lines;
    } const steps[] = {
        {"chosen",
         [&] { item->trigger(); },
         true,
         {"[Corkwallery] Start at Login: wrote " + shown}},
        {"deleted behind our back", [&] { fs::remove(entry); }, false, {}},
        {"chosen again",
         [&] { item->trigger(); },
         true,
         {"[Corkwallery] Start at Login: wrote " + shown}},
        {"unchosen",
         [&] { item->trigger(); },
         false,
         {"[Corkwallery] Start at Login: removed " + shown}},
        {"the user's own entry",
         [&] {
             std::ofstream(entry) << "[Desktop Entry]\nType=Application\nName=Mine\nExec=mine\n";
         },
         true,
         {}},
        {"unchosen with the user's entry",
         [&] { item->trigger(); },
         true,
         {"[Corkwallery] Start at Login: " + shown +
          " was not written by Corkwallery \u2014 leaving it as it is"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        testing::CapturedLog log;
        step.act();
        emit menu->aboutToShow();
        EXPECT_EQ(log.lines(), step.lines);
        EXPECT_EQ(item->isChecked(), step.checked);
        EXPECT_EQ(fs::exists(entry), step.checked);
        EXPECT_TRUE(!step.checked || valid());
    }
    EXPECT_EQ(contents(entry), "[Desktop Entry]\nType=Application\nName=Mine\nExec=mine\n");

    // Exec holds the binary's path quoted and escaped as desktop entries require.
    fs::remove(entry);
    testing::CapturedLog quiet;
    ASSERT_TRUE(StartAtLogin::setEnabled(true, "/opt/my \"apps\"/$cork`wallery\\100%"));
    EXPECT_TRUE(contents(entry).find(
                    "\nExec=\"/opt/my \\\\\"apps\\\\\"/\\\\$cork\\\\`wallery\\\\\\\\100%%\"\n") !=
                std::string::npos);
    EXPECT_TRUE(valid());
}

// File managers offer "Open With" for exactly the image types the decoder reads (no SVG).
TEST(app, DesktopEntryOffersEveryImageTypeTheDecoderReads) {
    QFile file(CORKWALLERY_DESKTOP_ENTRY);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList offered;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("MimeType="))
            offered = QString::fromLatin1(line.mid(9)).split(u';', Qt::SkipEmptyParts);
    }
    QStringList read;
    for (const QByteArray& type : QImageReader::supportedMimeTypes()) {
        if (!type.startsWith("image/svg"))
            read << QString::fromLatin1(type);
    }
    offered.sort();
    EXPECT_EQ(offered, read);
}

}  // namespace
}  // namespace corkwallery
