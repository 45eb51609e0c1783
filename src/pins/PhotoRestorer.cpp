#include "pins/PhotoRestorer.h"

#include <optional>
#include <string>

#include "pins/PhotoLoader.h"
#include "platform/DoubleFormat.h"
#include "platform/FileSystem.h"
#include "platform/Log.h"
#include "store/AppFolders.h"

namespace corkwallery {

using platform::FileSystem;
using platform::formatDouble;
using platform::logLine;

namespace {

// Why a copy that did not load may load later, or none when the record is to be dropped: its copy
// is absent from a folder that can be listed, or is there whole but no picture.
std::optional<std::string> reasonToHold(const std::string& folder, const std::string& copy) {
    const auto check = FileSystem::checkReadability(folder, copy);
    switch (check.readability) {
        case FileSystem::Readability::FolderUnreachable:
            return "Images folder cannot be reached (" + check.reason + ")";
        case FileSystem::Readability::Unreadable:
            return "Copy cannot be read now (" + check.reason + ")";
        default:
            return std::nullopt;
    }
}

}  // namespace

void PhotoRestorer::restore(const std::vector<PinnedPhotoState>& records, HeldRecords& held,
                            const CreatePinWindow& createPinWindow) {
    logLine("[Corkwallery] restorePinnedPhotos() \u2014 " + std::to_string(records.size()) +
            " state(s) to restore");
    std::size_t restored = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const PinnedPhotoState& record = records[i];
        const std::string prefix = "[Corkwallery]   [" + std::to_string(i) + "] ";
        // A name that is no plain file name is never opened: it could reach outside the folder.
        const auto location = AppFolders::storedImageURL(record.storedFilename);
        const std::string folder = AppFolders::imagesFolderURL();
        const std::string path = location.value_or(folder + "/" + record.storedFilename);
        logLine(prefix + "Loading from container: " + path);
        const auto image =
            location ? PhotoLoader::loadCopy(*location, {record.baseWidth, record.baseHeight})
                     : std::nullopt;
        if (!image) {
            logLine(prefix + "ERROR: failed to load image from " + path);
            if (const auto reason = location ? reasonToHold(folder, *location) : std::nullopt) {
                logLine(prefix + *reason + " \u2014 kept in the state file");
                held.hold(i, record, restored);
            }
            continue;
        }
        logLine(prefix + "Image loaded: (" + formatDouble(image->size().width) + ", " +
                formatDouble(image->size().height) + ")");
        ++restored;
        createPinWindow({*image, record.storedFilename, record.originalPath, record.baseWidth,
                         record.baseHeight, record.rotationAngle, record.pinColorName,
                         record.isLocked, platform::Point{record.centerX, record.centerY}});
        logLine(prefix + "Window restored successfully");
    }
}

}  // namespace corkwallery
