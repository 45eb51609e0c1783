#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <regex>
#include <string_view>

#include "StateFileRoundTrip.h"
#include "store/AppFolders.h"
#include "store/StateFileCodec.h"
#include "store/StateStore.h"
#include "support/CapturedLog.h"
#include "support/RecordPrinting.h"
#include "support/TemporaryHome.h"
#include "support/TestFiles.h"

// The state file's bytes and error texts, and the files the store cannot use.
namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using testing::files::readBytes, testing::files::writeBytes;

// A valid element, with the text `from` in it replaced by `to`.
std::string element(const std::string& from = "", const std::string& to = "") {
    std::string text = R"({"storedFilename":"A.jpg","originalPath":"","centerX":640,"centerY":1,)"
                       R"("baseWidth":2,"baseHeight":3,"rotationAngle":0,"pinColorName":"red",)"
                       R"("isLocked":true})";
    return from.empty() ? text : text.replace(text.find(from), from.size(), to);
}

// Whatever is written reads back the same, extremes and any Unicode included; any number form,
// key order and extra keys are read.
TEST(StateFileCodec, WritesCompactGoldenTextReadsAnyFormAndRoundTrips) {
    std::vector<PinnedPhotoState> states = {
        {"0C9E-beach.jpg", "/Users/me/Pictures/beach.jpg", 640, 412.5, 300, 225, -0.0523, "red",
         false},
        {"q\"b\\s/\u00c9t\u00e9 \u6771\U0001F4F7.jpg", "\n\t\r\b\f\x01\x1f\x7f", -0.0, 1000000,
         5e-324, 1.7976931348623157e308, 1.0 / 3, "", true}};
    EXPECT_EQ(StateFileCodec::encode(states).value(),
              R"([{"storedFilename":"0C9E-beach.jpg","originalPath":"\/Users\/me\/Pictures\/)"
              R"(beach.jpg","centerX":640,"centerY":412.5,"baseWidth":300,"baseHeight":225,)"
              R"("rotationAngle":-0.0523,"pinColorName":"red","isLocked":false},)"
              R"({"storedFilename":"q\"b\\s\/)"
              "\u00c9t\u00e9 \u6771\U0001F4F7.jpg"
              R"(","originalPath":"\n\t\r\b\f\u0001\u001f)"
              "\x7f"
              R"(","centerX":-0,"centerY":1000000,"baseWidth":5e-324,)"
              R"("baseHeight":1.7976931348623157e+308,"rotationAngle":0.3333333333333333,)"
              R"("pinColorName":"","isLocked":true}])");
    EXPECT_EQ(StateFileCodec::decode(StateFileCodec::encode(states).value()).value(), states);
    const auto decoded = StateFileCodec::decode(R"( [ { "isLocked" : false, "note" : [ {}, null ],
        "pinColorName" : "purple", "rotationAngle" : -0, "baseHeight" : 2.0, "baseWidth" : 30E-1,
        "centerY" : 0.4e+1, "centerX" : 0, "centerX" : 500e-2, "originalPath" : "",
        "storedFilename" : "" } ] )");
    EXPECT_EQ(decoded.value(), std::vector<PinnedPhotoState>({{"", "", 5, 4, 3, 2, -0.0, "purple",
                                                               false}}));  // last key wins
    EXPECT_TRUE(std::signbit(decoded.value()[0].rotationAngle));
    states[0].storedFilename = "\xed\xa0\x80.jpg";  // a surrogate
    EXPECT_EQ(StateFileCodec::encode(states).error().message,
              "invalid value for 'storedFilename' in element 0: not valid UTF-8");
}

// Our own texts whole; for invalid JSON only the place, since the rest is the library's wording.
TEST(StateFileCodec, ReadingFailsAsAWholeNamingKindAndPlace) {
    const std::string valid = element();
    const std::pair<std::string, std::string> cases[] = {
        {"[" + element(R"(,"isLocked":true)") + "]", "missing key 'isLocked' in element 0"},
        {"[" + valid + "," + element("640", "\"640\"") + "," + valid + "]",
         "wrong type for 'centerX' in element 1: expected a number"},
        {"[" + element("true", "1") + "]",
         "wrong type for 'isLocked' in element 0: expected a boolean"},
        {"[" + element(R"("")", "null") + "]",
         "null value for 'originalPath' in element 0: expected a string"},
        {"[" + valid + ",[]]", "wrong type for element 1: expected an object"},
        {valid, "expected an array at the top level"},
        {"", "invalid JSON at byte 1: "},
        {("[" + valid).substr(0, 26), "invalid JSON at byte 27: "},
        {"[" + element("640", "1e400") + "]", "invalid JSON at byte 60: "},
        {"[\"\\ud800\"]", "invalid JSON at byte "},
        {std::string("[]\0[", 4), "invalid JSON at byte 3: NUL byte"},
        {"[\"[[\"," + std::string(64, '[') + std::string(65, ']'),
         "invalid JSON at byte 70: nesting deeper than 64 levels"},
        {"[" + std::string(63, '[') + std::string(64, ']'),  // 64 levels still parse
         "wrong type for element 0: expected an object"},
    };
    for (const auto& [json, error] : cases) {
        const auto decoded = StateFileCodec::decode(json);
        ASSERT_FALSE(decoded.ok()) << json;
        const std::string& message = decoded.error().message;
        EXPECT_EQ(error.ends_with(' ') ? message.substr(0, error.size()) : message, error);
    }
}

// Every seed of the reader's fuzzer, and every input it ever found breaking the reader, read
// again: no crash, and whatever reads back whole round-trips.
TEST(StateFileCodec, EveryFuzzSeedAndFindingRoundTrips) {
    int replayed = 0;
    for (const char* folder : {FUZZ_CORPUS_DIR, FUZZ_CRASHES_DIR})
        for (const auto& entry : fs::directory_iterator(folder)) {
            EXPECT_TRUE(stateFileRoundTripHolds(readBytes(entry.path()))) << entry.path();
            ++replayed;
        }
    EXPECT_GE(replayed, 10);
}

// The logged text without the lines' prefix, <path> standing for the state file's and <time> for
// the time stamp.
std::string logged(testing::CapturedLog& log) {
    std::string text;
    for (const std::string& line : log.lines())
        text += line.substr(std::string_view("[Corkwallery] ").size()) + "\n";
    text = std::regex_replace(text, std::regex(AppFolders::stateFileURL()), "<path>");
    return std::regex_replace(text, std::regex("[0-9]{8}-[0-9]{6}"), "<time>");
}

// A state file that cannot be decoded, or not even read (a FIFO, which a plain open would wait
// on for ever), is renamed aside before any save can replace it. A save that cannot be encoded
// leaves the saved file alone.
TEST(StateStore, UnusableFileIsMovedAsideAndSurvivesTheNextSave) {
    for (const bool fifo : {false, true}) {
        testing::TemporaryHome home;
        const std::string path = AppFolders::stateFileURL();
        if (fifo)
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        else
            writeBytes(path, "{}");
        testing::CapturedLog log;
        StateStore store;
        EXPECT_TRUE(store.loadState().empty());
        EXPECT_TRUE(store.saveState({}));
        EXPECT_FALSE(store.saveState({{"A.jpg", "", NAN, 0, 1, 1, 0, "red", false}}));
        // A FIFO is refused unopened; the text is read and refused.
        const std::string reading = fifo ? "  ERROR loading state: <path>: not a regular file\n"
                                         : "  Read 2 bytes\n  ERROR loading state: expected an "
                                           "array at the top level\n";
        EXPECT_EQ(logged(log), "loadState() \u2014 looking for: <path>\n" + reading +
                                   "  Kept the unreadable state file as: <path>.unreadable-<time>\n"
                                   "Encoding 0 state(s) to: <path>\n"
                                   "Wrote 2 bytes successfully\n"
                                   "Encoding 1 state(s) to: <path>\n"
                                   "ERROR writing state: invalid value for 'centerX' in element 0: "
                                   "nan is not a JSON number\n");
        EXPECT_EQ(readBytes(path), "[]");
        fs::remove(path);
        const fs::path kept = fs::directory_iterator(AppFolders::appFolderURL())->path();
        EXPECT_TRUE(fifo ? fs::is_fifo(kept) : readBytes(kept) == "{}");
    }
}

// When it can be moved aside neither, nothing is saved over it for the whole run.
TEST(StateStore, UnreadableFileThatCannotBeMovedIsNeverSavedOver) {
    testing::TemporaryHome home;
    const std::string dir = AppFolders::appFolderURL(), path = AppFolders::stateFileURL();
    if (::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    // Unmounted however the test ends.
    const std::shared_ptr<void> tmpfs(nullptr, [&](void*) { ::umount2(dir.c_str(), MNT_DETACH); });
    writeBytes(path, "{}");
    ASSERT_EQ(::mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    testing::CapturedLog log;
    StateStore store;
    EXPECT_TRUE(store.loadState().empty());
    ASSERT_EQ(::mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT, nullptr), 0);
    EXPECT_FALSE(store.saveState({}) || store.saveState({}));
    // The three lines of the reading, then why the file stays where it is.
    EXPECT_TRUE(std::regex_match(logged(log), std::regex("(.*\n){3}  ERROR keeping the unreadable "
                                                         "state file: <path>: .+\n  Nothing will "
                                                         "be saved over it in this run\n")));
    EXPECT_EQ(readBytes(path), "{}");
    EXPECT_EQ(fs::directory_iterator(dir)->path(), path);  // and alone
}

}  // namespace
}  // namespace corkwallery
