#include "store/StateStore.h"

#include <sys/stat.h>

#include <ctime>

#include "platform/Files.h"
#include "platform/Log.h"
#include "store/AppFolders.h"
#include "store/StateFileCodec.h"

namespace corkwallery {

namespace {

using platform::log;

std::string center(double x, double y) {
    return "(" + platform::formatDouble(x) + ", " + platform::formatDouble(y) + ")";
}

// The current UTC time as YYYYMMDD-HHMMSS.
std::string utcTimestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &parts);
    return text;
}

bool isFolder(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// The next save replaces the file with the windows then open, so a file that could not be read
// or decoded is first renamed beside itself: a rename needs no disk space and never replaces
// another kept file. A folder at the path is left alone: no save can replace it either. Fails when
// the file could not be moved, so no save may run.
platform::Result<void> keepUnreadableStateFile(const std::string& path) {
    if (!isFolder(path)) {
        TRY(const std::string kept,
            platform::files::renameToFreeName(path, path + ".unreadable-" + utcTimestamp()));
        log("  Kept the unreadable state file as: " + kept);
    }
    return platform::Result<void>::success();
}

platform::Result<std::size_t> encodeAndWrite(const std::string& path,
                                             const std::vector<PinnedPhotoState>& records) {
    TRY(const std::string text, StateFileCodec::encode(records));
    return platform::files::writeAtomically(path, text);
}

// The records in the file, logging "Read <k> bytes" once it is read.
platform::Result<std::vector<PinnedPhotoState>> readAndDecode(const std::string& path) {
    TRY(const std::string bytes, platform::files::readFile(path));
    log("  Read " + std::to_string(bytes.size()) + " bytes");
    return StateFileCodec::decode(bytes);
}

}  // namespace

platform::Result<std::size_t> StateStore::saveState(const std::vector<PinnedPhotoState>& records) {
    if (savingDisabled_)  // said once, when the file could not be moved aside
        return platform::Error{platform::Error::Kind::Io, "the unreadable state file is kept"};
    const std::string path = AppFolders::stateFileURL();
    log("Encoding " + std::to_string(records.size()) + " state(s) to: " + path);
    auto written = encodeAndWrite(path, records);
    if (written)
        log("Wrote " + std::to_string(written.value()) + " bytes successfully");
    else
        log("ERROR writing state: " + written.error().message);
    return written;
}

std::vector<PinnedPhotoState> StateStore::loadState() {
    const std::string path = AppFolders::stateFileURL();
    log("loadState() \u2014 looking for: " + path);
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        log("  File does not exist \u2014 returning empty");
        return {};
    }
    auto decoded = readAndDecode(path);
    if (!decoded) {
        log("  ERROR loading state: " + decoded.error().message);
        const auto kept = keepUnreadableStateFile(path);
        if (!kept) {
            log("  ERROR keeping the unreadable state file: " + kept.error().message);
            log("  Nothing will be saved over it in this run");
        }
        savingDisabled_ = !kept;
        return {};
    }
    std::vector<PinnedPhotoState> states = std::move(decoded).value();
    log("  Decoded " + std::to_string(states.size()) + " state(s)");
    for (std::size_t i = 0; i < states.size(); ++i) {
        const PinnedPhotoState& s = states[i];
        log("    [" + std::to_string(i) + "] stored=" + s.storedFilename +
            ", original=" + s.originalPath + ", center=" + center(s.centerX, s.centerY));
    }
    return states;
}

}  // namespace corkwallery
