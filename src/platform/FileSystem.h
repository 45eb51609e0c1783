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
    // The per-user folder for sockets and locks ($XDG_RUNTIME_DIR); empty when there is none that
    // is the user's own (Qt has then said why on standard error).
    static std::string runtimeDirectory();

    // Creates the folder and any missing parents. True when the folder exists afterwards.
    static bool createDirectory(const std::string& path);

    // True when anything (file or folder) exists at the path.
    static bool fileExists(const std::string& path);

    // Deletes a file (never a folder). True when a file was deleted.
    static bool removeFile(const std::string& path);

    // A file opened for reading, or why there is none. The descriptor belongs to the receiver.
    struct OpenedFile {
        int fd = -1;
        bool notRegular = false;  // it exists, but is a FIFO, a device, a folder or a socket
        std::string error;        // "<path>: <reason>" when fd is -1
    };
    // Opens a regular file without ever blocking: a FIFO or a device at the path is refused
    // ("not a regular file") instead of waiting for a writer. The descriptor is blocking again.
    static OpenedFile openForReading(const std::string& path);

    // The whole of a regular file, opened as openForReading does.
    static Result<std::string> readFile(const std::string& path);

    // Writes the bytes to a temporary file of our own beside the destination, forces them to disk
    // and renames it over the destination, so the destination holds either the old or the new
    // bytes, even after a crash or power loss. A symbolic link at the path is written through.
    // Gives the number of bytes written.
    static Result<std::size_t> writeFileAtomically(const std::string& path, std::string_view bytes);
    // Deletes, silently, the temporary files that atomic writes into `folder` left behind when the
    // process died mid-write: only names of the form ".<name>.corkwallery-save-XXXXXX", which no
    // user picks. Only safe while no other process writes into the folder.
    static void removeInterruptedWrites(const std::string& folder);

    // Renames `from` to `to`, or if that exists to `to`-2, `to`-3, ..., never replacing anything.
    // Gives the name it now has.
    static Result<std::string> renameToFreeName(const std::string& from, const std::string& to);

    // Why a file that failed to load may be fine later. Checked without blocking: the folder is
    // opened, then the file, which is read to its end.
    enum class Readability {
        Readable,           // it reads whole: what failed was its content
        Absent,             // no such entry in a folder that can be listed
        NotRegular,         // a FIFO, a device, a folder or a socket
        FolderUnreachable,  // the folder cannot be listed (gone, no permission, not a folder)
        Unreadable,         // it exists but cannot be opened or read now
    };
    struct ReadabilityCheck {
        Readability readability;
        std::string reason;  // the error text, for the last two
    };
    static ReadabilityCheck checkReadability(const std::string& folder, const std::string& path);
};

}  // namespace corkwallery::platform
