#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corkwallery {

// The application's own copies of pinned photos, in the images folder. A copy is named by a
// fresh UUID, a hyphen and the chosen file's name, and holds the chosen file's bytes unchanged.
class PhotoCopies {
public:
    // Copies the file into the images folder and gives the copy's stored file name, or none
    // after logging the error. No partial copy is ever left behind.
    static std::optional<std::string> copyImageToContainer(const std::string& sourcePath);

    // Deletes the copy and its previews, silently. Deletes nothing for a name that is not a plain
    // file name.
    static void removeCopy(std::string_view storedFilename);
};

}  // namespace corkwallery
