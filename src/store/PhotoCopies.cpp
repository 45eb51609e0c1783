#include "store/PhotoCopies.h"

#include <QFile>
#include <QUuid>

#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/Utf8.h"
#include "store/AppFolders.h"

namespace corkwallery::PhotoCopies {

namespace {

using platform::Error;

// What a folder entry holds, in bytes.
constexpr std::size_t kLongestName = 255;

// The copy's path; fails (Invalid) for a name that could reach outside the images folder.
platform::Result<std::string> imagesFolderPath(std::string_view storedFilename) {
    if (auto path = AppFolders::storedImageURL(storedFilename))
        return platform::Result<std::string>::success(std::move(*path));
    return Error{Error::Kind::Invalid,
                 std::string(storedFilename) + ": not a name in the images folder"};
}

std::string_view lastPathComponent(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos || path.size() == 1 ? path : path.substr(slash + 1);
}

// The stored name is written into the state file, so it must be UTF-8: bytes of another encoding
// become U+FFFD. A name too long for a folder entry beside the UUID loses the end of its stem,
// keeping its extension.
std::string storedName(std::string_view uuid, std::string_view fileName) {
    const std::string name = platform::utf8::repaired(fileName);
    const std::size_t room = kLongestName - uuid.size() - 1;
    if (name.size() <= room)
        return std::string(uuid) + "-" + name;
    const auto dot = name.rfind('.');
    const std::string_view extension = dot != std::string::npos && name.size() - dot <= 16
                                           ? std::string_view(name).substr(dot)
                                           : std::string_view();
    const std::string_view stem = std::string_view(name).substr(0, name.size() - extension.size());
    return std::string(uuid) + "-" +
           std::string(platform::utf8::prefix(stem, room - extension.size())) +
           std::string(extension);
}

}  // namespace

platform::Result<Copy> copyImageToContainer(const std::string& sourcePath) {
    Copy copy;
    copy.storedFilename =
        storedName(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString(),
                   lastPathComponent(sourcePath));
    copy.path = AppFolders::imagesFolderURL() + "/" + copy.storedFilename;
    TRY(copy.bytes, platform::files::copyAtomically(sourcePath, copy.path));
    return platform::Result<Copy>::success(std::move(copy));
}

void logCopy(const platform::Result<Copy>& copy) {
    if (!copy) {
        platform::log("ERROR copying image to container: " + copy.error().message);
        return;
    }
    platform::log("Copied image to container: " + copy.value().path + " (" +
                  std::to_string(copy.value().bytes) + " bytes)");
}

void removeCopy(std::string_view storedFilename) {
    if (const auto path = AppFolders::storedImageURL(storedFilename))
        platform::discard(platform::files::removeFile(*path));
}

platform::Result<std::string> trashCopy(std::string_view storedFilename) {
    TRY(const std::string path, imagesFolderPath(storedFilename));
    QString trashed;
    if (!QFile::moveToTrash(platform::files::toQt(path), &trashed))
        return Error{Error::Kind::Io, path + ": cannot be moved to the Trash"};
    return platform::Result<std::string>::success(platform::files::fromQt(trashed));
}

platform::Result<void> takeBackCopy(const std::string& trashedPath,
                                    std::string_view storedFilename) {
    TRY(const std::string path, imagesFolderPath(storedFilename));  // makes the folders
    const QString destination = platform::files::toQt(path);
    if (QFile::exists(destination))  // the user put it back
        return platform::Result<void>::success();
    // Never over another file: QFile::rename refuses an existing destination.
    if (!QFile::rename(platform::files::toQt(trashedPath), destination))
        return Error{Error::Kind::Io, trashedPath + ": no longer in the Trash"};
    // "<trash>/files/<name>" is described by "<trash>/info/<name>.trashinfo"; an entry left
    // behind only lists a file that is gone.
    const auto slash = trashedPath.rfind('/');
    const auto filesFolder = trashedPath.rfind('/', slash - 1);
    if (slash != std::string::npos && filesFolder != std::string::npos)
        platform::discard(platform::files::removeFile(trashedPath.substr(0, filesFolder) + "/info" +
                                                      trashedPath.substr(slash) + ".trashinfo"));
    return platform::Result<void>::success();
}

std::string chosenName(std::string_view storedFilename) {
    // "<8>-<4>-<4>-<4>-<12>-": the UUID and its hyphen.
    constexpr std::size_t kUuid = 36;
    const bool named =
        storedFilename.size() > kUuid + 1 && storedFilename[kUuid] == '-' &&
        !QUuid::fromString(QLatin1StringView(storedFilename.substr(0, kUuid))).isNull();
    return std::string(named ? storedFilename.substr(kUuid + 1) : storedFilename);
}

void removeInterruptedWrites() {
    const std::string app = AppFolders::appFolderURL();
    platform::files::removeInterruptedWrites(app);
    platform::files::removeInterruptedWrites(app + "/images");
}

}  // namespace corkwallery::PhotoCopies
