#include <gtest/gtest.h>

#include <QMenu>
#include <QProcess>

#include "app/AppDelegate.h"
#include "app/StartAtLogin.h"
#include "decode/PhotoDecoder.h"
#include "support/CapturedLog.h"
#include "support/TemporaryHome.h"
#include "support/TestFiles.h"

namespace corkwallery {
namespace {

using testing::files::readBytes;

bool valid(const std::string& entry) {
    return QProcess::execute("desktop-file-validate", {QString::fromStdString(entry)}) == 0;
}

// "Start at Login" through the menu: our entry written (valid) and switched on or removed; the
// check mark shows, at each opening, whether the session will start the program, which a desktop's
// settings switch off in the entry's [Desktop Entry] group; a user's own entry is never rewritten
// or deleted.
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
    testing::CapturedLog first;
    item->trigger();
    EXPECT_EQ(first.lines(), std::vector{"[Corkwallery] Start at Login: wrote " + entry});
    EXPECT_TRUE(item->isChecked() && valid(entry));
    const std::string written = readBytes(entry);

    // Whose entry, what the desktop added to it, and whether the session starts the program
    // (checked); choosing the item then switches ours (rewritten on, or removed) and leaves the
    // user's as it is, saying so.
    const std::tuple<bool, std::string, bool> switches[] = {
        {true, "", true},
        {true, "Hidden=true\n", false},
        {true, "X-GNOME-Autostart-enabled = false\n", false},
        {false, "Hidden=true\n", false},
        {false, "[Desktop Action other]\nHidden=true\n", true},  // another group's key
    };
    const std::string notOurs = " was not written by Corkwallery \u2014 leaving it as it is";
    for (const auto& [isOurs, added, started] : switches) {
        SCOPED_TRACE(std::string(isOurs ? "ours " : "user's ") + added);
        const std::string before = (isOurs ? written : users) + added;
        testing::files::writeBytes(entry, before);
        emit menu->aboutToShow();
        EXPECT_EQ(std::pair(StartAtLogin::isEnabled(), item->isChecked()),
                  std::pair(started, started));
        testing::CapturedLog log;
        item->trigger();
        const std::string said =
            !isOurs ? entry + notOurs : (started ? "removed " : "wrote ") + entry;
        EXPECT_EQ(log.lines(), std::vector{"[Corkwallery] Start at Login: " + said});
        // The entry left (none when removed) and the check mark.
        const auto left = !isOurs ? std::tuple(true, before, started)
                                  : std::tuple(!started, started ? "" : written, !started);
        EXPECT_EQ(std::tuple(std::filesystem::exists(entry), readBytes(entry), item->isChecked()),
                  left);
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
    EXPECT_EQ(offered.join(u' ').toStdString(),
              QByteArrayList(PhotoDecoder::supportedMimeTypes()).join(' ').toStdString());
}

}  // namespace
}  // namespace corkwallery
