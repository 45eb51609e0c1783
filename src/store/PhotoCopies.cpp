#include "store/PhotoCopies.h"

#include "platform/FileSystem.h"
#include "platform/Log.h"
#include "platform/PreviewCache.h"
#include "platform/Uuid.h"
#include "store/AppFolders.h"

namespace corkwallery {

namespace {

std::string_view lastPathComponent(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos || path.size() == 1 ? path : path.substr(slash + 1);
}

}  // namespace

std::optional<std::string> PhotoCopies::copyImageToContainer(const std::string& sourcePath) {
    const std::string name =
        platform::Uuid::randomText() + "-" + std::string(lastPathComponent(sourcePath));
    const std::string destination = AppFolders::imagesFolderURL() + "/" + name;

    auto bytes = platform::FileSystem::readFile(sourcePath);
    if (!bytes) {
        platform::logLine("[Corkwallery] ERROR copying image to container: " + bytes.error());
        return std::nullopt;
    }
    const auto written = platform::FileSystem::writeFileAtomically(destination, bytes.value());
    if (!written) {
        platform::logLine("[Corkwallery] ERROR copying image to container: " + written.error());
        return std::nullopt;
    }
    platform::logLine("[Corkwallery] Copied image to container: " + destination + " (" +
                      std::to_string(written.value()) + " bytes)");
    return name;
}

void PhotoCopies::removeCopy(std::string_view storedFilename) {
    if (const auto path = AppFolders::storedImageURL(storedFilename)) {
        platform::FileSystem::removeFile(*path);
        platform::PreviewCache::remove(storedFilename);
    }
}

}  // namespace corkwallery
