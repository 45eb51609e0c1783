#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Result.h"

namespace corkwallery::platform {

// The file operations the rest of the system needs, on plain UTF-8 paths. Errors are the
// platform's error texts prefixed with the path they concern.
class FileSystem {
public:
    // The per-user folder for application data ($XDG_DATA_HOME, else ~/.local/share).
    static std::string applicationSupportDirectory();

    // Creates the folder and any missing parents. True when the folder exists afterwards.
    static bool createDirectory(const std::string& path);

    // True when anything (file or folder) exists at the path.
    static bool fileExists(const std::string& path);

    // Deletes a file (never a folder). True when a file was deleted.
    static bool removeFile(const std::string& path);

    static Result<std::string> readFile(const std::string& path);

    // Writes the bytes to a temporary file beside the destination, forces them to disk and then
    // renames it over the destination, so the destination holds either the old or the new bytes,
    // even after a crash or power loss. Gives the number of bytes written.
    static Result<std::size_t> writeFileAtomically(const std::string& path, std::string_view bytes);
    // Deletes, silently, the temporary files that atomic writes to `path` left behind when the
    // process died mid-write. Only safe while no other process writes `path`.
    static void removeInterruptedWrites(const std::string& path);
};

}  // namespace corkwallery::platform
