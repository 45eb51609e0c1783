#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>

namespace corkwallery::testing {

// Points HOME and the XDG data, config, cache and runtime folders at a fresh temporary folder for
// the object's lifetime, so no test touches a real user's files or shares another test's lock.
// Restores nothing: every test gets its own.
class TemporaryHome {
public:
    TemporaryHome() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "corkwallery-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
        for (const auto& [variable, folder] : {std::pair{"HOME", "home"},
                                               {"XDG_DATA_HOME", "data"},
                                               {"XDG_CONFIG_HOME", "config"},
                                               {"XDG_CACHE_HOME", "cache"},
                                               {"XDG_RUNTIME_DIR", "runtime"}}) {
            std::filesystem::create_directory(root_ / folder);
            setenv(variable, (root_ / folder).c_str(), 1);
        }
        // The runtime directory must be the user's alone, or Qt refuses it.
        std::filesystem::permissions(root_ / "runtime", std::filesystem::perms::owner_all);
    }
    ~TemporaryHome() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path dataHome() const { return root_ / "data"; }

private:
    std::filesystem::path root_;
};

}  // namespace corkwallery::testing
