#pragma once

#include <optional>
#include <string>
#include <string_view>

// Where the application keeps its files. Every location is computed anew at each use, and the
// folders are created on demand; a folder that cannot be made is not reported (the file operation
// that follows reports its own error).
namespace corkwallery::AppFolders {

// "<GenericDataLocation>/Corkwallery" ($XDG_DATA_HOME, else ~/.local/share), created if missing.
std::string appFolderURL();
// "<appFolderURL>/images", created if missing.
std::string imagesFolderURL();
// "<appFolderURL>/pinned-photos.json".
std::string stateFileURL();
// The copy named `storedFilename` in the images folder; none for a name that could reach outside
// it (empty, ".", "..", holding "/" or NUL).
std::optional<std::string> storedImageURL(std::string_view storedFilename);
bool isPlainFileName(std::string_view name);
// The single-instance lock in the user's runtime directory, one per data folder:
// "<RuntimeLocation>/corkwallery-<16 hex digits of the SHA-256 of the canonical app folder>.lock";
// empty when there is no runtime directory.
std::string instanceLockURL();

}  // namespace corkwallery::AppFolders
