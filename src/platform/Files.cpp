#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <functional>

namespace corkwallery::platform::files {

namespace {

// Temporary files of atomic writes are ".<destination name>.corkwallery-save-XXXXXX": hidden, and
// marked so that the clean-up after a crash can never take a user's file for one of ours.
constexpr char kTemporaryMarker[] = ".corkwallery-save-";
constexpr int kLongestName = 255 - (1 + 18 + 6);  // NAME_MAX less what the marking adds
constexpr char kNotRegular[] = ": not a regular file";

std::string failure(const std::string& path, int error) {
    return path + ": " + std::strerror(error);
}

std::string failure(const std::string& path, const QFileDevice& file) {
    return path + ": " + file.errorString().toStdString();
}

// Makes a completed rename inside the folder durable. Failure only weakens durability, so it is
// not reported.
void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::fsync(fd);  // nothing happens on -1
    ::close(fd);
}

// Opens a regular file without blocking on a FIFO or device; the descriptor blocks again.
// On failure errno is kept for the caller.
int openRegular(const std::string& path, std::string* error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const int reason = errno;
        *error = fd >= 0 && status.st_mode != 0 ? path + kNotRegular : failure(path, reason);
        if (fd >= 0)
            ::close(fd);
        errno = reason;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace

std::unique_ptr<QFile> openRegularFile(const std::string& path, std::string* error) {
    std::string reason;
    auto file = std::make_unique<QFile>();
    const int fd = openRegular(path, &reason);
    if (fd >= 0 && file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return file;
    if (fd >= 0)
        ::close(fd);
    if (error != nullptr)
        *error = fd >= 0 ? failure(path, *file) : reason;
    return nullptr;
}

bool isNotRegularFileError(const std::string& error) {
    return error.ends_with(kNotRegular);
}

Result<std::string> readFile(const std::string& path) {
    std::string error;
    const std::unique_ptr<QFile> file = openRegularFile(path, &error);
    if (!file)
        return Result<std::string>::failure(error);
    const QByteArray bytes = file->readAll();
    if (file->error() != QFileDevice::NoError)
        return Result<std::string>::failure(failure(path, *file));
    return Result<std::string>::success(bytes.toStdString());
}

namespace {

// Fills our own temporary file beside `path` through `fill` (which gives an error, or none and
// the bytes written), forces it to disk and renames it over `path`.
// QSaveFile is not used: its temporary "<name>.XXXXXX" cannot be told apart from a user's file
// such as "pinned-photos.json.backup", so its leftovers could not be cleared safely.
Result<std::size_t> replace(const std::string& path,
                            const std::function<std::string(QFile&, std::size_t&)>& fill) {
    using Outcome = Result<std::size_t>;
    // A symbolic link is followed, so the user's link stays.
    QFileInfo target(QString::fromStdString(path));
    for (int depth = 0; target.isSymLink() && depth < 128; ++depth)
        target.setFile(target.symLinkTarget());
    const QByteArray targetPath = QFile::encodeName(target.absoluteFilePath());
    // The temporary name is shortened where needed to stay within what a folder entry holds.
    QByteArray name = QFile::encodeName(target.fileName());
    int cut = std::min<int>(name.size(), kLongestName);
    while (cut > 0 && cut < name.size() && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;  // never in the middle of a UTF-8 character
    name.truncate(cut);
    QTemporaryFile file(target.absolutePath() + "/." + QFile::decodeName(name) + kTemporaryMarker +
                        "XXXXXX");
    file.setAutoRemove(false);
    if (!file.open())
        return Outcome::failure(failure(path, file));
    const QByteArray temporary = QFile::encodeName(file.fileName());
    // The new file keeps the permissions of the one it replaces.
    struct stat status {};
    if (::stat(targetPath.constData(), &status) == 0 && S_ISREG(status.st_mode))
        ::fchmod(file.handle(), status.st_mode & 07777);
    std::size_t written = 0;
    std::string error = fill(file, written);
    // Bytes that may not have reached the disk never replace the old file; after a failed write
    // QFile may report only "Unknown error", where errno says what happened.
    errno = 0;
    if (error.empty() && (!file.flush() || ::fsync(file.handle()) != 0))
        error = errno != 0 ? failure(path, errno) : failure(path, file);
    file.close();
    if (error.empty() && ::rename(temporary.constData(), targetPath.constData()) != 0)
        error = failure(path, errno);
    if (!error.empty()) {
        ::unlink(temporary.constData());
        return Outcome::failure(error);
    }
    syncFolder(target.absolutePath());
    return Outcome::success(written);
}

// What a failed write says: errno where QFile knows only "Unknown error".
std::string writeFailure(const std::string& path, const QFile& file) {
    return errno != 0 ? failure(path, errno) : failure(path, file);
}

}  // namespace

Result<std::size_t> writeAtomically(const std::string& path, std::string_view bytes) {
    return replace(path, [&](QFile& file, std::size_t& written) {
        errno = 0;
        const auto size = static_cast<qint64>(bytes.size());
        if (file.write(bytes.data(), size) != size)
            return writeFailure(path, file);
        written = bytes.size();
        return std::string();
    });
}

Result<std::size_t> copyAtomically(const std::string& source, const std::string& path) {
    std::string error;
    const std::unique_ptr<QFile> in = openRegularFile(source, &error);
    if (!in)
        return Result<std::size_t>::failure(error);
    return replace(path, [&](QFile& file, std::size_t& written) {
        // A megabyte at a time: a photo of any size costs no more memory than that.
        QByteArray chunk(1 << 20, Qt::Uninitialized);
        for (qint64 read; (read = in->read(chunk.data(), chunk.size())) > 0; written += read) {
            errno = 0;
            if (file.write(chunk.constData(), read) != read)
                return writeFailure(path, file);
        }
        return in->error() != QFileDevice::NoError ? failure(source, *in) : std::string();
    });
}

void removeInterruptedWrites(const std::string& folder) {
    static const QRegularExpression temporary(
        QRegularExpression::anchoredPattern("\\..+" + QRegularExpression::escape(kTemporaryMarker) +
                                            "[A-Za-z0-9]{6}"),
        QRegularExpression::DotMatchesEverythingOption);
    const QDir dir(QString::fromStdString(folder));
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
        if (temporary.match(name).hasMatch())
            QFile::remove(dir.filePath(name));
    }
}

Result<std::string> renameToFreeName(const std::string& from, const std::string& to) {
    for (int n = 1; n <= 1000; ++n) {
        const std::string candidate = n == 1 ? to : to + "-" + std::to_string(n);
        bool renamed =
            ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, candidate.c_str(), RENAME_NOREPLACE) == 0;
        if (!renamed && (errno == EINVAL || errno == ENOSYS)) {
            // A file system that cannot rename without replacing: a second name, which an
            // existing name refuses, then the first name goes.
            renamed = ::link(from.c_str(), candidate.c_str()) == 0;
            if (renamed)
                ::unlink(from.c_str());
        }
        if (renamed) {
            syncFolder(QFileInfo(QString::fromStdString(candidate)).absolutePath());
            return Result<std::string>::success(candidate);
        }
        if (errno != EEXIST)
            return Result<std::string>::failure(failure(from, errno));
    }
    return Result<std::string>::failure(from + ": no free name beside it");
}

ReadabilityCheck checkReadability(const std::string& folder, const std::string& path) {
    std::string error;
    const int fd = openRegular(path, &error);
    if (fd < 0) {
        const int reason = errno;
        if (isNotRegularFileError(error))
            return {Readability::NotRegular, {}};
        const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folderFd < 0)
            return {Readability::FolderUnreachable, std::strerror(errno)};
        ::close(folderFd);
        struct stat status {};
        if (reason != ENOENT)
            return {Readability::Unreadable, std::strerror(reason)};
        if (::lstat(path.c_str(), &status) != 0)
            return {Readability::Absent, {}};
        return {Readability::Unreadable, "a symbolic link to nothing"};
    }
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    char buffer[64 * 1024];
    while (file.read(buffer, sizeof buffer) > 0) {
    }
    if (file.error() != QFileDevice::NoError)
        return {Readability::Unreadable, file.errorString().toStdString()};
    return {Readability::Readable, {}};
}

bool createFolder(const std::string& path) {
    return QDir().mkpath(QString::fromStdString(path));
}

bool removeFile(const std::string& path) {
    const QString file = QString::fromStdString(path);
    return !QFileInfo(file).isDir() && QFile::remove(file);
}

}  // namespace corkwallery::platform::files
