#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corkwallery {

// Where the application keeps its files: the "Corkwallery" folder in the user's application
// data directory, its "images" folder of photo copies and its state file. Every location is
// computed anew at each call and missing folders are created silently.
class AppFolders {
public:
    static std::string appFolderURL();
    static std::string imagesFolderURL();
    // Creates the application folder, never the file.
    static std::string stateFileURL();
    // The file whose lock marks the one copy of the program that uses this application folder:
    // in the user's runtime directory, named after the folder's path, so two users or two data
    // folders never share one. Empty when there is no runtime directory.
    static std::string instanceLockURL();

    // Deletes what saves cut short by a crash left in the application and images folders: our
    // own temporary files only. Only safe while this process holds the instance lock.
    static void removeInterruptedSaves();

    // The copy named `storedFilename` in the images folder. None when the name is not a plain
    // file name (empty, ".", "..", or holding "/" or a NUL): such a name, read from the state
    // file, would reach outside the images folder.
    static std::optional<std::string> storedImageURL(std::string_view storedFilename);

    static bool isPlainFileName(std::string_view name);
};

}  // namespace corkwallery
