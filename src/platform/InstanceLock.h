#pragma once

#include <string>

#include "platform/Result.h"

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

    // True when this object holds the lock; false when another holder has it (EWOULDBLOCK), and
    // only this means "running". Fails (Io, "<path>: <reason>") when the file could not be made,
    // opened or locked.
    Result<bool> tryLock();
    bool isLocked() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
};

}  // namespace corkwallery::platform
