#pragma once

#include <filesystem>

namespace corkwallery::testing {

// Points HOME and the XDG data, config, cache and runtime folders at a fresh temporary folder for
// the object's lifetime, so no test touches a real user's files or shares another test's lock.
// Restores nothing: every test gets its own.
class TemporaryHome {
public:
    TemporaryHome();
    ~TemporaryHome();
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path dataHome() const { return root_ / "data"; }
    std::filesystem::path runtimeDir() const { return root_ / "runtime"; }

private:
    std::filesystem::path root_;
};

}  // namespace corkwallery::testing
