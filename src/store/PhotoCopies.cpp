#include "store/PhotoCopies.h"

#include <QUuid>

#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/Utf8.h"
#include "store/AppFolders.h"

namespace corkwallery::PhotoCopies {

namespace {

// What a folder entry holds, in bytes.
constexpr std::size_t kLongestName = 255;

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

std::optional<std::string> copyImageToContainer(const std::string& sourcePath) {
    const std::string name =
        storedName(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString(),
                   lastPathComponent(sourcePath));
    const std::string destination = AppFolders::imagesFolderURL() + "/" + name;

    const auto written = platform::files::copyAtomically(sourcePath, destination);
    if (!written) {
        platform::log("ERROR copying image to container: " + written.error().message);
        return std::nullopt;
    }
    platform::log("Copied image to container: " + destination + " (" +
                  std::to_string(written.value()) + " bytes)");
    return name;
}

void removeCopy(std::string_view storedFilename) {
    if (const auto path = AppFolders::storedImageURL(storedFilename))
        platform::files::removeFile(*path);
}

void removeInterruptedWrites() {
    const std::string app = AppFolders::appFolderURL();
    platform::files::removeInterruptedWrites(app);
    platform::files::removeInterruptedWrites(app + "/images");
}

}  // namespace corkwallery::PhotoCopies
