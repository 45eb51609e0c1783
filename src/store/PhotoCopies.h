#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Result.h"

// The application's own copies of the photos it pins, in the images folder.
namespace corkwallery::PhotoCopies {

struct Copy {
    std::string storedFilename;
    std::string path;
    std::size_t bytes = 0;
};

// Copies the file into the images folder as "<UUID, upper case>-<its file name>" (made valid
// UTF-8, and short enough for a folder entry), leaving no partial copy on failure. Logs nothing:
// it runs on worker threads, next to the decode.
platform::Result<Copy> copyImageToContainer(const std::string& sourcePath);
// "Copied image to container: <path> (<n> bytes)", or "ERROR copying image to container: <error>".
void logCopy(const platform::Result<Copy>& copy);

// Deletes the copy, silently; names that could reach outside the folder are never touched. Its
// previews are the photo layer's to drop (PreviewCache::remove).
void removeCopy(std::string_view storedFilename);

// Moves the copy to the desktop's Trash, where the user can still find it; gives where it went.
// Names that could reach outside the folder are never touched.
platform::Result<std::string> trashCopy(std::string_view storedFilename);
// Puts a copy moved to the Trash at `trashedPath` back into the images folder as `storedFilename`
// and drops its Trash entry. A copy already back in the folder counts as taken back.
platform::Result<void> takeBackCopy(const std::string& trashedPath,
                                    std::string_view storedFilename);

// The chosen file's name that a copy's name holds, without the UUID.
std::string chosenName(std::string_view storedFilename);

// At launch, while the single-instance lock is held: deletes the temporary files that saves and
// copies cut short by a crash left in the application and images folders (ours only).
void removeInterruptedWrites();

}  // namespace corkwallery::PhotoCopies
