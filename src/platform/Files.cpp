#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <functional>

#include "platform/Utf8.h"

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

Error ioError(const std::string& path, int error) {
    return {Error::Kind::Io, failure(path, error)};
}

// The folder part of a path ("." for a bare name, "/" for one in the root).
std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Makes a completed rename inside the folder durable. Failure only weakens durability, so it is
// not reported.
void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::fsync(fd);  // nothing happens on -1
    ::close(fd);
}

// Opens a regular file without blocking on a FIFO or device; the descriptor blocks again. On
// failure errno is kept for the caller.
Result<int> openRegular(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const int reason = errno;
        const bool opened = fd >= 0 && status.st_mode != 0;
        if (fd >= 0)
            ::close(fd);
        errno = reason;
        return opened ? Error{Error::Kind::NotRegularFile, path + kNotRegular}
                      : ioError(path, reason);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return Result<int>::success(fd);
}

}  // namespace

QString toQt(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string fromQt(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// QUrl keeps escapes that decode to no UTF-8 as they are in its encoded form.
std::optional<std::string> fromFileUrl(const QUrl& url) {
    if (!url.isValid() || url.scheme() != QLatin1String("file") ||
        !(url.host().isEmpty() || url.host() == QLatin1String("localhost")))
        return std::nullopt;
    const QByteArray path =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (path.isEmpty() || path.contains('\0'))
        return std::nullopt;
    return path.toStdString();
}

Result<std::unique_ptr<QFile>> openRegularFile(const std::string& path) {
    TRY(const int fd, openRegular(path));
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Error{Error::Kind::Io, failure(path, *file)};
    }
    return Result<std::unique_ptr<QFile>>::success(std::move(file));
}

Result<std::string> readFile(const std::string& path) {
    TRY(const auto file, openRegularFile(path));
    const QByteArray bytes = file->readAll();
    if (file->error() != QFileDevice::NoError)
        return Error{Error::Kind::Io, failure(path, *file)};
    return Result<std::string>::success(bytes.toStdString());
}

namespace {

// A symbolic link at the path is followed, so that the user's link stays and its target is
// replaced.
std::string followLinks(std::string path) {
    for (int depth = 0; depth < 128; ++depth) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            break;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length <= 0)
            break;
        target.resize(static_cast<std::size_t>(length));
        path = target.starts_with('/') ? target : folderOf(path) + "/" + target;
    }
    return path;
}

// Fills our own temporary file beside `path` through `fill` (which gives an error, or none and
// the bytes written), forces it to disk and renames it over `path`.
// QSaveFile is not used: its temporary "<name>.XXXXXX" cannot be told apart from a user's file
// such as "pinned-photos.json.backup", so its leftovers could not be cleared safely.
Result<std::size_t> replace(const std::string& path,
                            const std::function<std::string(QFile&, std::size_t&)>& fill) {
    const std::string target = followLinks(path);
    const std::string folder = folderOf(target);
    // The temporary name is shortened where needed to stay within what a folder entry holds.
    const std::string name = target.substr(target.rfind('/') + 1);
    std::string temporary =
        folder + "/." + std::string(utf8::prefix(name, kLongestName)) + kTemporaryMarker + "XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return ioError(path, errno);
    QFile file;
    file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
    // The new file keeps the permissions of the one it replaces.
    struct stat status {};
    if (::stat(target.c_str(), &status) == 0 && S_ISREG(status.st_mode))
        ::fchmod(fd, status.st_mode & 07777);
    std::size_t written = 0;
    std::string error = fill(file, written);
    // Bytes that may not have reached the disk never replace the old file; after a failed write
    // QFile may report only "Unknown error", where errno says what happened.
    errno = 0;
    if (error.empty() && (!file.flush() || ::fsync(fd) != 0))
        error = errno != 0 ? failure(path, errno) : failure(path, file);
    file.close();
    if (error.empty() && ::rename(temporary.c_str(), target.c_str()) != 0)
        error = failure(path, errno);
    if (!error.empty()) {
        ::unlink(temporary.c_str());
        return Error{Error::Kind::Io, error};
    }
    syncFolder(folder);
    return Result<std::size_t>::success(written);
}

// What a failed write says: errno where QFile knows only "Unknown error".
std::string writeFailure(const std::string& path, const QFile& file) {
    return errno != 0 ? failure(path, errno) : failure(path, file);
}

// What makePrivate could not change: the first one, "<path>: <reason>", and how many.
struct Unchanged {
    std::string first;
    int count = 0;
    void add(const std::string& path) {
        const int reason = errno;
        if (count++ == 0)
            first = path + ": " + std::strerror(reason);
    }
};

// Gives the entry `name` of the folder open as `at` (known as `path`) 0700 when it is a folder,
// 0600 when a regular file, unless it has that already; a link is never followed. When it is a
// folder, gives it opened, else -1.
int makeEntryPrivate(int at, const std::string& path, const char* name, Unchanged& unchanged) {
    struct stat status {};
    if (at < 0 || ::fstatat(at, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
        if (at >= 0 && errno != ENOENT)
            unchanged.add(path);
        return -1;
    }
    const bool isFolder = S_ISDIR(status.st_mode);
    const mode_t mode = isFolder ? 0700 : 0600;
    if ((isFolder || S_ISREG(status.st_mode)) && (status.st_mode & 07777) != mode &&
        ::fchmodat(at, name, mode, AT_SYMLINK_NOFOLLOW) != 0)
        unchanged.add(path);
    if (!isFolder)
        return -1;
    const int fd = ::openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        unchanged.add(path);
    return fd;
}

// makeEntryPrivate for everything in the folder open as `fd` (known as `path`), which it closes.
void makeContentsPrivate(int fd, const std::string& path, Unchanged& unchanged) {
    DIR* entries = ::fdopendir(fd);
    if (entries == nullptr) {
        unchanged.add(path);
        ::close(fd);
        return;
    }
    while (const dirent* entry = ::readdir(entries)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string inner = path + "/" + entry->d_name;
        const int folderFd = makeEntryPrivate(::dirfd(entries), inner, entry->d_name, unchanged);
        if (folderFd >= 0)
            makeContentsPrivate(folderFd, inner, unchanged);
    }
    ::closedir(entries);
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
    TRY(const auto in, openRegularFile(source));
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
    namespace fs = std::filesystem;
    constexpr std::string_view marker = kTemporaryMarker;
    const auto isOurs = [&](std::string_view name) {
        const auto at = name.rfind(marker);
        return name.size() > 1 && name.front() == '.' && at != std::string_view::npos && at > 1 &&
               name.size() == at + marker.size() + 6 &&
               std::all_of(name.end() - 6, name.end(), [](char c) {
                   return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9');
               });
    };
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        // Regular files only: a link or a folder of that name is the user's.
        if (entry.is_regular_file(error) && !entry.is_symlink(error) &&
            isOurs(entry.path().filename().native()))
            ::unlink(entry.path().c_str());
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
            syncFolder(folderOf(candidate));
            return Result<std::string>::success(candidate);
        }
        if (errno != EEXIST)
            return ioError(from, errno);
    }
    return Error{Error::Kind::Io, from + ": no free name beside it"};
}

Result<void> checkReadability(const std::string& folder, const std::string& path) {
    const auto opened = openRegular(path);
    if (!opened) {
        const int reason = errno;
        if (opened.error().kind == Error::Kind::NotRegularFile)
            return opened.error();
        const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folderFd < 0)
            return Error{Error::Kind::Unreachable, std::strerror(errno)};
        ::close(folderFd);
        struct stat status {};
        if (reason != ENOENT)
            return Error{Error::Kind::Io, std::strerror(reason)};
        if (::lstat(path.c_str(), &status) != 0)
            return Error{Error::Kind::NotFound, std::strerror(reason)};
        return Error{Error::Kind::Io, "a symbolic link to nothing"};
    }
    QFile file;
    file.open(opened.value(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    char buffer[64 * 1024];
    while (file.read(buffer, sizeof buffer) > 0) {
    }
    if (file.error() != QFileDevice::NoError)
        return Error{Error::Kind::Io, file.errorString().toStdString()};
    return Result<void>::success();
}

Result<void> createFolder(const std::string& path) {
    std::error_code made, checked;
    std::filesystem::create_directories(path, made);
    if (std::filesystem::is_directory(path, checked))
        return Result<void>::success();
    return ioError(path, made ? made.value() : ENOTDIR);
}

Result<void> createPrivateFolder(const std::string& path) {
    // Each parent in turn; mkdir fails harmlessly on those there already.
    for (auto slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0700);
    const int made = ::mkdir(path.c_str(), 0700) == 0 ? 0 : errno;
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        return Result<void>::success();
    return ioError(path, made != 0 && made != EEXIST ? made : ENOTDIR);
}

Result<void> removeFile(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0)
        return ioError(path, errno);
    if (S_ISDIR(status.st_mode))
        return Error{Error::Kind::NotRegularFile, path + kNotRegular};
    if (::unlink(path.c_str()) != 0)
        return ioError(path, errno);
    return Result<void>::success();
}

Result<void> makePrivate(const std::string& base, const std::vector<std::string>& names) {
    Unchanged unchanged;
    int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::string path = base;
    for (const std::string& name : names) {
        path += "/" + name;
        const int inner = makeEntryPrivate(fd, path, name.c_str(), unchanged);
        if (fd >= 0)
            ::close(fd);
        fd = inner;
    }
    if (fd >= 0)
        makeContentsPrivate(fd, path, unchanged);
    if (unchanged.count == 0)
        return Result<void>::success();
    if (unchanged.count > 1)
        unchanged.first += " (and " + std::to_string(unchanged.count - 1) + " more)";
    return Error{Error::Kind::Io, unchanged.first};
}

}  // namespace corkwallery::platform::files
