#include "pins/PhotoRestorer.h"

#include <string>

#include "pins/PhotoLoader.h"
#include "platform/DoubleFormat.h"
#include "platform/Log.h"
#include "store/AppFolders.h"

namespace corkwallery {

using platform::formatDouble;
using platform::logLine;

void PhotoRestorer::restore(const std::vector<PinnedPhotoState>& records,
                            const CreatePinWindow& createPinWindow) {
    logLine("[Corkwallery] restorePinnedPhotos() \u2014 " + std::to_string(records.size()) +
            " state(s) to restore");
    for (std::size_t i = 0; i < records.size(); ++i) {
        const PinnedPhotoState& record = records[i];
        const std::string prefix = "[Corkwallery]   [" + std::to_string(i) + "] ";
        // A name that is no plain file name is never opened: it could reach outside the folder.
        const auto location = AppFolders::storedImageURL(record.storedFilename);
        const std::string path =
            location.value_or(AppFolders::imagesFolderURL() + "/" + record.storedFilename);
        logLine(prefix + "Loading from container: " + path);
        const auto image =
            location ? PhotoLoader::loadCopy(*location, {record.baseWidth, record.baseHeight})
                     : std::nullopt;
        if (!image) {
            logLine(prefix + "ERROR: failed to load image from " + path);
            continue;
        }
        logLine(prefix + "Image loaded: (" + formatDouble(image->size().width) + ", " +
                formatDouble(image->size().height) + ")");
        createPinWindow({*image, record.storedFilename, record.originalPath, record.baseWidth,
                         record.baseHeight, record.rotationAngle, record.pinColorName,
                         record.isLocked, platform::Point{record.centerX, record.centerY}});
        logLine(prefix + "Window restored successfully");
    }
}

}  // namespace corkwallery
