#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace corkwallery::platform {

namespace {

// Temporary files of atomic writes are ".<destination name>.corkwallery-save-XXXXXX": hidden, and
// marked so that the clean-up after a crash can never take a user's file for one of ours.
const char* const kTemporaryMarker = ".corkwallery-save-";
constexpr int kLongestFileName = 255;  // bytes, NAME_MAX
constexpr int kTemporaryOverhead = 1 + 18 + 6;

QString toQString(const std::string& text) {
    return QString::fromStdString(text);
}

std::string failureText(const std::string& path, const QString& error) {
    return path + ": " + error.toStdString();
}

std::string errnoText(int error) {
    return std::strerror(error);
}

// Makes a completed rename inside the folder durable. Failure only weakens durability, so it is
// not reported.
void syncDirectory(const QString& directory) {
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// The file a write to `path` replaces: a symbolic link is followed, so the user's link stays.
QString writeTarget(const std::string& path) {
    QFileInfo existing(toQString(path));
    QString target = existing.absoluteFilePath();
    int depth = 128;
    while (existing.isSymLink() && --depth > 0)
        existing.setFile(existing.symLinkTarget());
    if (depth > 0)
        target = existing.absoluteFilePath();
    return target;
}

// The template of a temporary file beside `target`, its name shortened where needed so that the
// temporary name stays within what a folder entry can hold.
QString temporaryTemplate(const QFileInfo& target) {
    QByteArray name = QFile::encodeName(target.fileName());
    if (name.size() > kLongestFileName - kTemporaryOverhead) {
        int cut = kLongestFileName - kTemporaryOverhead;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;  // never in the middle of a UTF-8 character
        name.truncate(cut);
    }
    return target.absolutePath() + QStringLiteral("/.") + QFile::decodeName(name) +
           QLatin1String(kTemporaryMarker) + QStringLiteral("XXXXXX");
}

}  // namespace

std::string FileSystem::applicationSupportDirectory() {
    const QStringList locations =
        QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    return locations.isEmpty() ? std::string() : locations.first().toStdString();
}

std::string FileSystem::runtimeDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation).toStdString();
}

bool FileSystem::createDirectory(const std::string& path) {
    return QDir().mkpath(toQString(path));
}

bool FileSystem::fileExists(const std::string& path) {
    return QFileInfo::exists(toQString(path));
}

bool FileSystem::removeFile(const std::string& path) {
    const QString qPath = toQString(path);
    if (QFileInfo(qPath).isDir())
        return false;
    return QFile::remove(qPath);
}

FileSystem::OpenedFile FileSystem::openForReading(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {-1, false, path + ": " + errnoText(errno)};
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        const int error = errno;
        ::close(fd);
        return {-1, false, path + ": " + errnoText(error)};
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(fd);
        return {-1, true, path + ": not a regular file"};
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return {fd, false, {}};
}

Result<std::string> FileSystem::readFile(const std::string& path) {
    const OpenedFile opened = openForReading(path);
    if (opened.fd < 0)
        return Result<std::string>::failure(opened.error);
    QFile file;
    if (!file.open(opened.fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(opened.fd);
        return Result<std::string>::failure(failureText(path, file.errorString()));
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result<std::string>::failure(failureText(path, file.errorString()));
    return Result<std::string>::success(bytes.toStdString());
}

// QSaveFile is not used: its temporary "<name>.XXXXXX" cannot be told apart from a user's file
// such as "pinned-photos.json.backup", so its leftovers could not be cleared safely.
Result<std::size_t> FileSystem::writeFileAtomically(const std::string& path,
                                                    std::string_view bytes) {
    using Outcome = Result<std::size_t>;
    const QString target = writeTarget(path);
    const QFileInfo targetInfo(target);
    QTemporaryFile file(temporaryTemplate(targetInfo));
    file.setAutoRemove(false);
    if (!file.open())
        return Outcome::failure(failureText(path, file.errorString()));
    const QByteArray temporary = QFile::encodeName(file.fileName());
    // The new file keeps the permissions of the one it replaces.
    struct stat status {};
    if (::stat(QFile::encodeName(target).constData(), &status) == 0 && S_ISREG(status.st_mode))
        ::fchmod(file.handle(), status.st_mode & 07777);

    const auto size = static_cast<qint64>(bytes.size());
    errno = 0;
    // Bytes that may not have reached the disk never replace the old file.
    if (file.write(bytes.data(), size) != size || !file.flush() || ::fsync(file.handle()) != 0) {
        // After a failed write QFile may report only "Unknown error"; errno says what happened.
        const std::string error =
            errno != 0 ? path + ": " + errnoText(errno) : failureText(path, file.errorString());
        file.close();
        ::unlink(temporary.constData());
        return Outcome::failure(error);
    }
    file.close();
    if (::rename(temporary.constData(), QFile::encodeName(target).constData()) != 0) {
        const std::string error = path + ": " + errnoText(errno);
        ::unlink(temporary.constData());
        return Outcome::failure(error);
    }
    syncDirectory(targetInfo.absolutePath());
    return Outcome::success(bytes.size());
}

void FileSystem::removeInterruptedWrites(const std::string& folder) {
    static const QRegularExpression temporary(
        QRegularExpression::anchoredPattern(QStringLiteral("\\..+") +
                                            QRegularExpression::escape(kTemporaryMarker) +
                                            QStringLiteral("[A-Za-z0-9]{6}")),
        QRegularExpression::DotMatchesEverythingOption);
    const QDir dir(toQString(folder));
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
        if (temporary.match(name).hasMatch())
            QFile::remove(dir.filePath(name));
    }
}

Result<std::string> FileSystem::renameToFreeName(const std::string& from, const std::string& to) {
    constexpr int kMostTries = 1000;
    for (int n = 1; n <= kMostTries; ++n) {
        const std::string candidate = n == 1 ? to : to + "-" + std::to_string(n);
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, candidate.c_str(), RENAME_NOREPLACE) ==
            0) {
            syncDirectory(QFileInfo(toQString(candidate)).absolutePath());
            return Result<std::string>::success(candidate);
        }
        if (errno == EEXIST)
            continue;
        if (errno != EINVAL && errno != ENOSYS)
            return Result<std::string>::failure(from + ": " + errnoText(errno));
        // A file system that cannot rename without replacing: a second name, which an existing
        // name refuses, then the first name goes.
        if (::link(from.c_str(), candidate.c_str()) == 0) {
            ::unlink(from.c_str());
            syncDirectory(QFileInfo(toQString(candidate)).absolutePath());
            return Result<std::string>::success(candidate);
        }
        if (errno != EEXIST)
            return Result<std::string>::failure(from + ": " + errnoText(errno));
    }
    return Result<std::string>::failure(from + ": no free name beside it");
}

FileSystem::ReadabilityCheck FileSystem::checkReadability(const std::string& folder,
                                                          const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folderFd < 0)
            return {Readability::FolderUnreachable, errnoText(errno)};
        ::close(folderFd);
        struct stat status {};
        if (error == ENOENT && ::lstat(path.c_str(), &status) != 0)
            return {Readability::Absent, {}};
        if (error == ENOENT)
            return {Readability::Unreadable, "a symbolic link to nothing"};
        return {Readability::Unreadable, errnoText(error)};
    }
    struct stat status {};
    if (::fstat(fd, &status) == 0 && !S_ISREG(status.st_mode)) {
        ::close(fd);
        return {Readability::NotRegular, {}};
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0 && errno != EINTR) {
            const int error = errno;
            ::close(fd);
            return {Readability::Unreadable, errnoText(error)};
        }
    }
    ::close(fd);
    return {Readability::Readable, {}};
}

}  // namespace corkwallery::platform
