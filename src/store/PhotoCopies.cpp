#include "store/PhotoCopies.h"

#include <QUuid>

#include "platform/Files.h"
#include "platform/Log.h"
#include "store/AppFolders.h"

namespace corkwallery::PhotoCopies {

namespace {

std::string_view lastPathComponent(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos || path.size() == 1 ? path : path.substr(slash + 1);
}

}  // namespace

std::optional<std::string> copyImageToContainer(const std::string& sourcePath) {
    const std::string name =
        QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString() + "-" +
        std::string(lastPathComponent(sourcePath));
    const std::string destination = AppFolders::imagesFolderURL() + "/" + name;

    const auto written = platform::files::copyAtomically(sourcePath, destination);
    if (!written) {
        platform::log("ERROR copying image to container: " + written.error());
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
