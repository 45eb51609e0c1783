#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "platform/DisplayChoice.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "support/CapturedLog.h"
#include "support/TemporaryHome.h"
#include "support/TestFiles.h"

namespace corkwallery::platform {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// The names of the entries in `folder`.
std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// Layer surfaces where the compositor offers them (unless xcb is asked for), else X11 whenever a
// display is there, whatever else was asked for but offscreen.
TEST(DisplayChoice, LayerShellThenX11ThenNothing) {
    const std::optional<std::string> unset;
    const DisplayChoice none{DisplayChoice::NoX11Display, {}, {}};
    const std::pair<DisplayEnvironment, DisplayChoice> cases[] = {
        {{unset, ":0", true}, {DisplayChoice::Wayland, "wayland", {}}},
        {{unset, unset, true}, {DisplayChoice::Wayland, "wayland", {}}},
        {{"wayland-egl", ":0", true}, {DisplayChoice::Wayland, "wayland-egl", {}}},
        {{"eglfs", unset, true}, {DisplayChoice::Wayland, "wayland", "eglfs"}},
        {{"xcb", ":0", true}, {DisplayChoice::X11, "xcb", {}}},
        {{"xcb", unset, true}, none},
        {{"offscreen", ":0", true}, {DisplayChoice::AsConfigured, "offscreen", {}}},
        {{unset, ":0"}, {DisplayChoice::X11, "xcb", {}}},
        {{"xcb:nodndsupport", ":0"}, {DisplayChoice::X11, "xcb:nodndsupport", {}}},
        {{"wayland", ":0"}, {DisplayChoice::X11, "xcb", "wayland"}},
        {{"offscreenish", ":0"}, {DisplayChoice::X11, "xcb", "offscreenish"}},
        {{"offscreen:configfile=a.json", unset},
         {DisplayChoice::AsConfigured, "offscreen:configfile=a.json", {}}},
        {{unset, ""}, none},
    };
    for (const auto& [environment, choice] : cases)
        EXPECT_EQ(chooseDisplay(environment), choice)
            << environment.qpaPlatform.value_or("(unset)") << " "
            << environment.display.value_or("(unset)") << " " << environment.layerShell;
}

// A name holding a line feed must not print a line of its own.
TEST(Log, PrefixesEveryLineAndEscapesControlCharacters) {
    testing::CapturedLog log;
    platform::log("  Read 2 bytes");
    platform::log("a\n[Corkwallery] forged\x1b\t\r\x7f\0 \u00e9"s);
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{
                  "[Corkwallery]   Read 2 bytes",
                  "[Corkwallery] a\\n[Corkwallery] forged\\x1B\\t\\r\\x7F\\x00 \u00e9"}));
}

// Paths are the file system's bytes: a name that is not UTF-8 is written under exactly its bytes,
// and through a link the target is replaced and the link stays.
TEST(Files, AtomicWritesKeepTheNameBytesAndFollowLinks) {
    testing::TemporaryHome home;
    const fs::path folder = home.root() / "d\xe9j\xe0";
    fs::create_directories(folder / "real");
    fs::create_symlink("real/target.json", folder / "link.json");
    for (const char* name : {"caf\xe9.json", "link.json", "\xff\xfe"}) {
        const auto written = files::writeAtomically((folder / name).string(), "[]");
        ASSERT_TRUE(written.ok()) << written.error().message;
        EXPECT_EQ(testing::files::readBytes(folder / name), "[]");
    }
    EXPECT_TRUE(fs::is_symlink(folder / "link.json"));
    EXPECT_EQ(testing::files::readBytes(folder / "real/target.json"), "[]");
    EXPECT_EQ(namesIn(folder),
              (std::set<std::string>{"caf\xe9.json", "link.json", "real", "\xff\xfe"}));
}

// What a crash leaves is ours; everything else in the folder, however alike, is the user's: among
// them the shape of another program's temporary file, near misses of ours, a folder and a link.
TEST(Files, InterruptedWriteCleanupTakesOnlyOurTemporaryFiles) {
    testing::TemporaryHome home;
    const fs::path folder = home.root() / "home";
    std::set<std::string> users = {"pinned-photos.json", "pinned-photos.json.AbCdEf",
                                   "pinned-photos.json.corkwallery-save-AbCdEf",
                                   ".pinned-photos.json.corkwallery-save-AbCdE",
                                   ".pinned-photos.json.corkwallery-save-AbCdEfG"};
    for (const auto& name : users)
        testing::files::writeBytes(folder / name, "mine");
    testing::files::writeBytes(folder / ".pinned-photos.json.corkwallery-save-AbCdEf", "partial");
    testing::files::writeBytes(folder / ".\u00e9t\u00e9.jpg.corkwallery-save-xYz123", "partial");
    fs::create_directory(folder / ".album.corkwallery-save-QwErTy");
    fs::create_symlink(folder / "pinned-photos.json", folder / ".link.corkwallery-save-QwErTy");
    files::removeInterruptedWrites(folder.string());
    users.insert({".album.corkwallery-save-QwErTy", ".link.corkwallery-save-QwErTy"});
    EXPECT_EQ(namesIn(folder), users);
}

}  // namespace
}  // namespace corkwallery::platform
