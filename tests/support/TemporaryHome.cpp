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
    for (const char* sub : {"home", "data", "config", "cache"})
        std::filesystem::create_directory(root_ / sub);
    setenv("HOME", (root_ / "home").c_str(), 1);
    setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (root_ / "cache").c_str(), 1);
}

TemporaryHome::~TemporaryHome() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

}  // namespace corkwallery::testing
