#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace corkwallery::platform {

InstanceLock::InstanceLock(std::string path) : path_(std::move(path)) {}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0)
        close(fd_);  // releases the lock
}

bool InstanceLock::tryLock() {
    if (fd_ >= 0)
        return true;
    const int fd = open(path_.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

}  // namespace corkwallery::platform
