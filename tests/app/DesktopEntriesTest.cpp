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

bool valid(const fs::path& entry) {
    return QStandardPaths::findExecutable("desktop-file-validate").isEmpty() ||
           QProcess::execute("desktop-file-validate", {QString::fromStdString(entry)}) == 0;
}

// "Start at Login" through the menu: our entry written (valid, whatever the binary's path holds)
// and removed; the check follows the file at each opening; a user's own entry is never deleted.
TEST(app, StartAtLoginWritesAndRemovesOnlyItsOwnAutostartEntry) {
    testing::TemporaryHome home;
    const fs::path entry =
        home.root() / "config/autostart/io.github.corkwallery.corkwallery.desktop";
    const std::string users = "[Desktop Entry]\nType=Application\nName=Mine\nExec=mine\n";
    AppDelegate delegate;
    delegate.setupStatusItem();
    QMenu* menu = delegate.statusItem()->menu();
    QAction* item = menu->actions().at(menu->actions().size() - 3);
    ASSERT_EQ(item->text(), "Start at Login");

    enum Act { Choose, Delete, WriteUsers };
    struct Step {
        const char* what;
        Act act;
        bool present;
        std::string said;
    } const steps[] = {
        {"chosen", Choose, true, "wrote " + entry.string()},
        {"deleted behind our back", Delete, false, ""},
        {"chosen again", Choose, true, "wrote " + entry.string()},
        {"unchosen", Choose, false, "removed " + entry.string()},
        {"the user's own entry", WriteUsers, true, ""},
        {"unchosen", Choose, true,
         entry.string() + " was not written by Corkwallery \u2014 leaving it as it is"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        testing::CapturedLog log;
        if (step.act == Choose)
            item->trigger();
        else if (step.act == Delete)
            fs::remove(entry);
        else
            std::ofstream(entry) << users;
        emit menu->aboutToShow();
        EXPECT_EQ(log.lines(), step.said.empty()
                                   ? std::vector<std::string>{}
                                   : std::vector{"[Corkwallery] Start at Login: " + step.said});
        EXPECT_EQ(item->isChecked(), step.present);
        EXPECT_EQ(fs::exists(entry), step.present);
        EXPECT_TRUE(!step.present || valid(entry));
    }
    EXPECT_EQ(contents(entry), users);

    // Exec quotes and escapes a path holding the characters desktop entries reserve.
    fs::remove(entry);
    testing::CapturedLog quiet;
    ASSERT_TRUE(StartAtLogin::setEnabled(true, "/opt/my \"apps\"/$cork`wallery\\100%"));
    EXPECT_NE(contents(entry).find(
                  "\nExec=\"/opt/my \\\\\"apps\\\\\"/\\\\$cork\\\\`wallery\\\\\\\\100%%\"\n"),
              std::string::npos);
    EXPECT_TRUE(valid(entry));
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
