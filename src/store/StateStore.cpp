#include "store/StateStore.h"

#include <chrono>
#include <cstdio>
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

// Copies the bytes of a state file that could not be decoded beside it, since the next save
// replaces the file with the windows then open.
void keepUnreadableStateFile(const std::string& path, const std::string& bytes) {
    const std::string keptPath = path + ".unreadable-" + utcTimestamp();
    const auto written = platform::FileSystem::writeFileAtomically(keptPath, bytes);
    if (written)
        logLine("[Corkwallery]   Kept the unreadable state file as: " + keptPath);
    else
        logLine("[Corkwallery]   ERROR keeping the unreadable state file: " + written.error());
}

}  // namespace

void StateStore::saveState(const PinWindowList& pinWindows) {
    logLine("[Corkwallery] saveState() called \u2014 " + std::to_string(pinWindows.size()) +
            " window(s)");
    std::vector<PinnedPhotoState> states;
    for (std::size_t i = 0; i < pinWindows.size(); ++i) {
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

    const std::string path = AppFolders::stateFileURL();
    logLine("[Corkwallery] Encoding " + std::to_string(states.size()) + " state(s) to: " + path);
    const auto encoded = StateFileCodec::encode(states);
    if (!encoded) {
        logLine("[Corkwallery] ERROR writing state: " + encoded.error());
        return;
    }
    const auto written = platform::FileSystem::writeFileAtomically(path, encoded.value());
    if (!written) {
        logLine("[Corkwallery] ERROR writing state: " + written.error());
        return;
    }
    logLine("[Corkwallery] Wrote " + std::to_string(written.value()) + " bytes successfully");
}

std::vector<PinnedPhotoState> StateStore::loadState() {
    const std::string path = AppFolders::stateFileURL();
    // Saves cut short by a crash leave their temporary files; at launch nothing else writes here.
    platform::FileSystem::removeInterruptedWrites(path);
    logLine("[Corkwallery] loadState() \u2014 looking for: " + path);
    if (!platform::FileSystem::fileExists(path)) {
        logLine("[Corkwallery]   File does not exist \u2014 returning empty");
        return {};
    }
    const auto bytes = platform::FileSystem::readFile(path);
    if (!bytes) {
        logLine("[Corkwallery]   ERROR loading state: " + bytes.error());
        return {};
    }
    logLine("[Corkwallery]   Read " + std::to_string(bytes.value().size()) + " bytes");

    auto decoded = StateFileCodec::decode(bytes.value());
    if (!decoded) {
        logLine("[Corkwallery]   ERROR loading state: " + decoded.error());
        keepUnreadableStateFile(path, bytes.value());
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
