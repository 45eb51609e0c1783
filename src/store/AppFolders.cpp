#include "store/AppFolders.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include "platform/FileSystem.h"

namespace corkwallery {

namespace {

std::string appendingPathComponent(const std::string& folder, std::string_view component) {
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += component;
    return path;
}

// Creating a folder fails silently: the file operation that follows reports its own error.
std::string createdFolder(std::string path) {
    platform::FileSystem::createDirectory(path);
    return path;
}

}  // namespace

std::string AppFolders::appFolderURL() {
    return createdFolder(
        appendingPathComponent(platform::FileSystem::applicationSupportDirectory(), "Corkwallery"));
}

std::string AppFolders::imagesFolderURL() {
    return createdFolder(appendingPathComponent(appFolderURL(), "images"));
}

std::string AppFolders::stateFileURL() {
    return appendingPathComponent(appFolderURL(), "pinned-photos.json");
}

std::string AppFolders::instanceLockURL() {
    const std::string runtime = platform::FileSystem::runtimeDirectory();
    if (runtime.empty())
        return {};
    // The folder as the file system sees it, so two spellings of one folder share one lock.
    const QFileInfo folder(QString::fromStdString(appFolderURL()));
    const QString canonical = folder.canonicalFilePath();
    const QByteArray digest =
        QCryptographicHash::hash(
            (canonical.isEmpty() ? folder.absoluteFilePath() : canonical).toUtf8(),
            QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    return appendingPathComponent(runtime, "corkwallery-" + digest.toStdString() + ".lock");
}

void AppFolders::removeInterruptedSaves() {
    const std::string app = appFolderURL();
    platform::FileSystem::removeInterruptedWrites(app);
    platform::FileSystem::removeInterruptedWrites(appendingPathComponent(app, "images"));
}

std::optional<std::string> AppFolders::storedImageURL(std::string_view storedFilename) {
    if (!isPlainFileName(storedFilename))
        return std::nullopt;
    return appendingPathComponent(imagesFolderURL(), storedFilename);
}

bool AppFolders::isPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

}  // namespace corkwallery
