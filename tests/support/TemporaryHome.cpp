#include "support/TemporaryHome.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace corkwallery::testing {

TemporaryHome::TemporaryHome() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "corkwallery-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    for (const char* sub : {"home", "data", "config", "cache", "runtime"})
        std::filesystem::create_directory(root_ / sub);
    // The runtime directory must be the user's alone, or Qt refuses it.
    std::filesystem::permissions(root_ / "runtime", std::filesystem::perms::owner_all);
    setenv("HOME", (root_ / "home").c_str(), 1);
    setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (root_ / "cache").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root_ / "runtime").c_str(), 1);
}

TemporaryHome::~TemporaryHome() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

}  // namespace corkwallery::testing
