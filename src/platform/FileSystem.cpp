#include "platform/FileSystem.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>

namespace corkwallery::platform {

namespace {

QString toQString(const std::string& text) {
    return QString::fromStdString(text);
}

std::string failureText(const std::string& path, const QString& error) {
    return path + ": " + error.toStdString();
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

}  // namespace

std::string FileSystem::applicationSupportDirectory() {
    const QStringList locations =
        QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    return locations.isEmpty() ? std::string() : locations.first().toStdString();
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

Result<std::string> FileSystem::readFile(const std::string& path) {
    QFile file(toQString(path));
    if (!file.open(QIODevice::ReadOnly))
        return Result<std::string>::failure(failureText(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result<std::string>::failure(failureText(path, file.errorString()));
    return Result<std::string>::success(bytes.toStdString());
}

Result<std::size_t> FileSystem::writeFileAtomically(const std::string& path,
                                                    std::string_view bytes) {
    using Outcome = Result<std::size_t>;
    QSaveFile file(toQString(path));
    // Never fall back to writing the destination in place: that could leave a partial file.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return Outcome::failure(failureText(path, file.errorString()));
    const auto size = static_cast<qint64>(bytes.size());
    errno = 0;
    // QSaveFile syncs before its rename but ignores a failed sync; sync here and check it, so
    // that bytes that may not have reached the disk never replace the old file.
    if (file.write(bytes.data(), size) != size || !file.flush() || ::fsync(file.handle()) != 0) {
        // After a failed write QSaveFile reports only "Unknown error"; errno says what happened.
        const std::string error = failureText(
            path, errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : file.errorString());
        file.cancelWriting();
        return Outcome::failure(error);
    }
    if (!file.commit())
        return Outcome::failure(failureText(path, file.errorString()));
    syncDirectory(QFileInfo(file.fileName()).absolutePath());
    return Outcome::success(bytes.size());
}

// QSaveFile writes to "<name>.XXXXXX" (six letters or digits) beside the destination.
void FileSystem::removeInterruptedWrites(const std::string& path) {
    const QFileInfo destination(toQString(path));
    const QRegularExpression temporary(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(destination.fileName()) + QStringLiteral("\\.[A-Za-z0-9]{6}")));
    const QDir folder = destination.dir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden)) {
        if (temporary.match(name).hasMatch())
            QFile::remove(folder.filePath(name));
    }
}

}  // namespace corkwallery::platform
