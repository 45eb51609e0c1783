#include "store/StateStore.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "photo/DraggableImageView.h"
#include "platform/DoubleFormat.h"
#include "platform/FileSystem.h"
#include "platform/Log.h"
#include "store/AppFolders.h"
#include "store/StateFileCodec.h"

namespace corkwallery {

namespace {

using platform::logLine;

std::string center(double x, double y) {
    return "(" + platform::formatDouble(x) + ", " + platform::formatDouble(y) + ")";
}

// The current UTC time as YYYYMMDD-HHMMSS.
std::string utcTimestamp() {
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto today = floor<days>(now);
    const year_month_day date{today};
    const hh_mm_ss time{now - today};
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02u%02u-%02d%02d%02d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

// State files that must not be replaced in this run: unreadable, and they could not be moved
// aside.
std::set<std::string>& stateFilesNotToReplace() {
    static std::set<std::string> paths;
    return paths;
}

// Renames a state file that could not be read or decoded beside itself, since the next save
// replaces the file with the windows then open. A rename needs no disk space and never replaces
// another kept file. A folder at the path is left alone: no save can replace it either.
void keepUnreadableStateFile(const std::string& path) {
    std::error_code error;
    if (std::filesystem::symlink_status(path, error).type() ==
        std::filesystem::file_type::directory)
        return;
    const auto kept =
        platform::FileSystem::renameToFreeName(path, path + ".unreadable-" + utcTimestamp());
    if (kept) {
        logLine("[Corkwallery]   Kept the unreadable state file as: " + kept.value());
        return;
    }
    logLine("[Corkwallery]   ERROR keeping the unreadable state file: " + kept.error());
    logLine("[Corkwallery]   Nothing will be saved over it in this run");
    stateFilesNotToReplace().insert(path);
}

}  // namespace

bool StateStore::saveState(const PinWindowList& pinWindows, const HeldRecords& held) {
    logLine("[Corkwallery] saveState() called \u2014 " + std::to_string(pinWindows.size()) +
            " window(s)");
    const std::string path = AppFolders::stateFileURL();
    if (stateFilesNotToReplace().count(path) != 0)
        return false;  // said once, when the file could not be moved aside
    std::vector<PinnedPhotoState> states;
    std::size_t nextHeld = 0;
    // Held records go back where they stood: after the windows that came before them.
    const auto addHeldRecords = [&](std::size_t windowsBefore) {
        for (; nextHeld < held.records().size() &&
               held.records()[nextHeld].windowsBefore <= windowsBefore;
             ++nextHeld) {
            const HeldRecords::Held& h = held.records()[nextHeld];
            states.push_back(h.record);
            logLine("[Corkwallery]   held " + std::to_string(h.fileIndex) +
                    ": kept unchanged \u2014 stored=" + h.record.storedFilename);
        }
    };
    for (std::size_t i = 0; i < pinWindows.size(); ++i) {
        addHeldRecords(i);
        const std::string window = "[Corkwallery]   window " + std::to_string(i) + ": ";
        const platform::Panel* panel = pinWindows[i].get();
        const auto* view =
            panel ? dynamic_cast<const DraggableImageView*>(panel->contentView()) : nullptr;
        if (view == nullptr) {
            logLine(window + "contentView is not DraggableImageView \u2014 skipping");
            continue;
        }
        if (!view->storedFilename()) {
            logLine(window + "storedFilename is nil \u2014 skipping");
            continue;
        }
        // The centre as given, not recomputed from the frame: a restored pin saves back exactly.
        const platform::Point centre = panel->center();
        states.push_back(
            PinnedPhotoState{*view->storedFilename(), view->originalPath().value_or(""), centre.x,
                             centre.y, view->baseImageSize().width, view->baseImageSize().height,
                             view->rotationAngle(), view->pinColorName(), view->isLocked()});
        const PinnedPhotoState& saved = states.back();
        logLine(window + "saved \u2014 stored=" + saved.storedFilename +
                ", center=" + center(saved.centerX, saved.centerY));
    }
    addHeldRecords(pinWindows.size());

    logLine("[Corkwallery] Encoding " + std::to_string(states.size()) + " state(s) to: " + path);
    const auto encoded = StateFileCodec::encode(states);
    if (!encoded) {
        logLine("[Corkwallery] ERROR writing state: " + encoded.error());
        return false;
    }
    const auto written = platform::FileSystem::writeFileAtomically(path, encoded.value());
    if (!written) {
        logLine("[Corkwallery] ERROR writing state: " + written.error());
        return false;
    }
    logLine("[Corkwallery] Wrote " + std::to_string(written.value()) + " bytes successfully");
    return true;
}

std::vector<PinnedPhotoState> StateStore::loadState() {
    const std::string path = AppFolders::stateFileURL();
    logLine("[Corkwallery] loadState() \u2014 looking for: " + path);
    if (!platform::FileSystem::fileExists(path)) {
        logLine("[Corkwallery]   File does not exist \u2014 returning empty");
        return {};
    }
    const auto bytes = platform::FileSystem::readFile(path);
    if (!bytes) {
        logLine("[Corkwallery]   ERROR loading state: " + bytes.error());
        keepUnreadableStateFile(path);
        return {};
    }
    logLine("[Corkwallery]   Read " + std::to_string(bytes.value().size()) + " bytes");

    auto decoded = StateFileCodec::decode(bytes.value());
    if (!decoded) {
        logLine("[Corkwallery]   ERROR loading state: " + decoded.error());
        keepUnreadableStateFile(path);
        return {};
    }
    std::vector<PinnedPhotoState> states = std::move(decoded).value();
    logLine("[Corkwallery]   Decoded " + std::to_string(states.size()) + " state(s)");
    for (std::size_t i = 0; i < states.size(); ++i) {
        const PinnedPhotoState& s = states[i];
        logLine("[Corkwallery]     [" + std::to_string(i) + "] stored=" + s.storedFilename +
                ", original=" + s.originalPath + ", center=" + center(s.centerX, s.centerY));
    }
    return states;
}

}  // namespace corkwallery
