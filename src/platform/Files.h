#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Result.h"

class QFile;
class QUrl;

// The file operations whose soundness matters: reading only regular files and never blocking on
// a FIFO or device, atomic and durable writes through temporary files of our own, and moving a
// file aside without ever replacing another. Paths are the file system's bytes, which need not be
// UTF-8; error texts read "<path>: <reason>".
namespace corkwallery::platform::files {

// Where a path meets Qt: its bytes as a QString file name and back (QFile::decodeName and
// encodeName), never through a text conversion that would replace bytes that are not UTF-8.
QString toQt(const std::string& path);
std::string fromQt(const QString& path);
// The path of a file:// URL on this computer (no host, or "localhost"), its percent escapes
// decoded to the bytes they stand for, so names that are not UTF-8 survive; none for any other.
std::optional<std::string> fromFileUrl(const QUrl& url);

// Opens a regular file for reading without ever blocking: a FIFO, a device, a socket or a folder
// at the path is refused (NotRegularFile, "<path>: not a regular file"). The file is ready for
// QImageReader or readAll().
Result<std::unique_ptr<QFile>> openRegularFile(const std::string& path);

// The whole of a regular file, opened as openRegularFile does.
Result<std::string> readFile(const std::string& path);

// Writes the bytes to a temporary file of our own beside the destination (".<name>.corkwallery-
// save-XXXXXX"), flushes and fsyncs it (a failed sync fails the write), renames it over the
// destination and fsyncs the folder, so the destination holds either the old or the new bytes,
// even after a crash or power loss. On failure the temporary file is removed and the destination
// is untouched. A symbolic link at the path is written through. Gives the number of bytes written.
Result<std::size_t> writeAtomically(const std::string& path, std::string_view bytes);
// The same with the bytes of the regular file `source` (opened as openRegularFile does), read a
// piece at a time, so that copying a large file holds little of it in memory.
Result<std::size_t> copyAtomically(const std::string& source, const std::string& path);

// Deletes, silently, the temporary files that atomic writes into `folder` left behind when a
// process died mid-write: only regular files named ".<name>.corkwallery-save-XXXXXX", which no
// user picks. Only safe while no other process writes into the folder.
void removeInterruptedWrites(const std::string& folder);

// Renames `from` to `to`, or when that name is taken to `to`-2, `to`-3, ..., never replacing
// anything (renameat2 with RENAME_NOREPLACE, or link and unlink where a file system refuses that).
// Gives the name it now has.
Result<std::string> renameToFreeName(const std::string& from, const std::string& to);

// Whether a file that failed to load reads whole now, checked without blocking: then what failed
// was its content. Otherwise the kind says whether it may load later: NotFound and NotRegularFile
// never, Unreachable (its folder cannot be listed) and Io (it cannot be opened or read now) may,
// and for these two the message is the reason alone, without the path.
Result<void> checkReadability(const std::string& folder, const std::string& path);

// Creates the folder and any missing parents; fails when it is not there afterwards.
Result<void> createFolder(const std::string& path);
// The same, each folder it creates made the user's alone (0700) from the start, whatever the
// umask. Folders already there are left as they are.
Result<void> createPrivateFolder(const std::string& path);
// Gives each folder along `names` below `base` mode 0700, and everything inside the last one 0700
// (folders) or 0600 (regular files), never following a link; `base` itself is left as it is. It
// goes on past what cannot be changed, and fails with "<path>: <reason>" of the first and how
// many more.
Result<void> makePrivate(const std::string& base, const std::vector<std::string>& names);
// Deletes a file, never a folder (NotRegularFile).
Result<void> removeFile(const std::string& path);

}  // namespace corkwallery::platform::files
