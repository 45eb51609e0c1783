#include "store/AppFolders.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/Files.h"

namespace corkwallery::AppFolders {

namespace {

std::string joined(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    return path += name;
}

// Creating a folder fails silently: the file operation that follows reports its own error.
std::string created(std::string folder) {
    platform::discard(platform::files::createFolder(folder));
    return folder;
}

}  // namespace

std::string appFolderURL() {
    const QStringList data = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    return created(joined(data.isEmpty() ? std::string() : platform::files::fromQt(data.first()),
                          "Corkwallery"));
}

std::string imagesFolderURL() {
    return created(joined(appFolderURL(), "images"));
}

std::string stateFileURL() {
    return joined(appFolderURL(), "pinned-photos.json");
}

std::optional<std::string> storedImageURL(std::string_view storedFilename) {
    if (!isPlainFileName(storedFilename))
        return std::nullopt;
    return joined(imagesFolderURL(), storedFilename);
}

bool isPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

std::string instanceLockURL() {
    // Empty, after Qt's own warning, when there is no runtime directory that is the user's own.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        return {};
    // The folder as the file system sees it, so two spellings of one folder share one lock.
    const QFileInfo folder(platform::files::toQt(appFolderURL()));
    const QString canonical = folder.canonicalFilePath();
    const QByteArray digest =
        QCryptographicHash::hash(
            QFile::encodeName(canonical.isEmpty() ? folder.absoluteFilePath() : canonical),
            QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    return joined(platform::files::fromQt(runtime),
                  "corkwallery-" + digest.toStdString() + ".lock");
}

}  // namespace corkwallery::AppFolders
