#pragma once

#include <string>

namespace corkwallery::platform {

// An exclusive lock on a file, held by one process at a time from a successful tryLock() until
// the object goes. The kernel releases it when its process ends in any way, so a lock file left
// behind by a crashed run does not stand in the way of the next one. The file is created when
// missing and never written.
class InstanceLock {
public:
    enum class Outcome {
        Locked,         // this object holds the lock
        HeldElsewhere,  // another holder has it (EWOULDBLOCK): and only this means "running"
        Failed,         // the file could not be made, opened or locked: error() says why
    };

    explicit InstanceLock(std::string path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    Outcome tryLock();
    bool isLocked() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    // "<path>: <reason>" after a failed tryLock().
    const std::string& error() const { return error_; }

private:
    std::string path_;
    std::string error_;
    int fd_ = -1;
};

}  // namespace corkwallery::platform
