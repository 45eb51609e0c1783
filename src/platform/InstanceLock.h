#pragma once

#include <string>

namespace corkwallery::platform {

// An exclusive lock on a file, held by one process at a time from a successful tryLock() until
// the object goes. The kernel releases it when its process ends in any way, so a lock file left
// behind by a crashed run does not stand in the way of the next one. The file is created when
// missing and never written.
class InstanceLock {
public:
    explicit InstanceLock(std::string path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock if nobody holds it; false if another holder has it or the file cannot be
    // opened.
    bool tryLock();
    bool isLocked() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
};

}  // namespace corkwallery::platform
