#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace corkwallery::platform {

InstanceLock::InstanceLock(std::string path) : path_(std::move(path)) {}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0)
        ::close(fd_);  // releases the lock
}

InstanceLock::Outcome InstanceLock::tryLock() {
    if (fd_ >= 0)
        return Outcome::Locked;
    if (path_.empty()) {
        error_ = "no runtime directory for the lock file";
        return Outcome::Failed;
    }
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        error_ = path_ + ": " + std::strerror(errno);
        return Outcome::Failed;
    }
    // Only a lock that someone holds means another holder; any other failure says nothing of one.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return Outcome::HeldElsewhere;
        error_ = path_ + ": " + std::strerror(error);
        return Outcome::Failed;
    }
    fd_ = fd;
    return Outcome::Locked;
}

}  // namespace corkwallery::platform
