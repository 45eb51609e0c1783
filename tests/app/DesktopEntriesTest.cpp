#include <gtest/gtest.h>

#include <QImageReader>
#include <QMenu>
#include <QProcess>
#include <fstream>

#include "app/AppDelegate.h"
#include "app/StartAtLogin.h"
#include "support/CapturedLog.h"
#include "support/TemporaryHome.h"
#include "support/TestFiles.h"

namespace corkwallery {
namespace {

using testing::files::readBytes;

bool valid(const std::string& entry) {
    return QProcess::execute("desktop-file-validate", {QString::fromStdString(entry)}) == 0;
}

// "Start at Login" through the menu: our entry written (valid, whatever the binary's path holds)
// and removed; the check follows the file at each opening; a user's own entry is never deleted.
TEST(app, StartAtLoginWritesAndRemovesOnlyItsOwnAutostartEntry) {
    testing::TemporaryHome home;
    const std::string entry =
        home.root() / "config/autostart/io.github.corkwallery.corkwallery.desktop";
    const std::string users = "[Desktop Entry]\nType=Application\nName=Mine\nExec=mine\n";
    AppDelegate delegate;
    delegate.setupStatusItem();
    QMenu* menu = delegate.statusItem()->menu();
    QAction* item = menu->actions().at(menu->actions().size() - 3);
    ASSERT_EQ(item->text(), "Start at Login");
    // Whether the item is chosen (or else the user writes an entry of their own), then whether a
    // valid entry is there and the item checked, and the log line that follows.
    const std::tuple<bool, bool, std::string> steps[] = {
        {true, true, "wrote " + entry},
        {true, false, "removed " + entry},
        {false, true, ""},
        {true, true, entry + " was not written by Corkwallery \u2014 leaving it as it is"},
    };
    for (const auto& [choose, present, said] : steps) {
        SCOPED_TRACE(said);
        testing::CapturedLog log;
        choose ? item->trigger() : void(std::ofstream(entry) << users);
        emit menu->aboutToShow();
        EXPECT_EQ(log.lines(), said.empty() ? std::vector<std::string>()
                                            : std::vector{"[Corkwallery] Start at Login: " + said});
        EXPECT_EQ(std::pair(item->isChecked(), valid(entry)), std::pair(present, present));
    }

    // Exec quotes and escapes a path holding the characters desktop entries reserve.
    std::filesystem::remove(entry);
    testing::CapturedLog quiet;
    ASSERT_TRUE(StartAtLogin::setEnabled(true, "/opt/my \"apps\"/$cork`wallery\\100%"));
    EXPECT_NE(readBytes(entry).find(
                  "\nExec=\"/opt/my \\\\\"apps\\\\\"/\\\\$cork\\\\`wallery\\\\\\\\100%%\"\n"),
              std::string::npos);
    EXPECT_TRUE(valid(entry));
}

// File managers offer "Open With" for exactly the image types the decoder reads (no SVG).
TEST(app, DesktopEntryOffersEveryImageTypeTheDecoderReads) {
    const QString text = QString::fromStdString(readBytes(CORKWALLERY_DESKTOP_ENTRY));
    QStringList offered =
        text.section("\nMimeType=", 1).section(u'\n', 0, 0).split(u';', Qt::SkipEmptyParts);
    offered.sort();
    QStringList read;
    for (const QByteArray& type : QImageReader::supportedMimeTypes())
        if (!type.startsWith("image/svg"))
            read << type;
    EXPECT_EQ(offered.join(u' ').toStdString(), read.join(u' ').toStdString());
}

}  // namespace
}  // namespace corkwallery
