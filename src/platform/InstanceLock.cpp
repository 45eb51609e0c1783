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

Result<bool> InstanceLock::tryLock() {
    if (fd_ >= 0)
        return Result<bool>::success(true);
    if (path_.empty())
        return Error{Error::Kind::Io, "no runtime directory for the lock file"};
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return Error{Error::Kind::Io, path_ + ": " + std::strerror(errno)};
    // Only a lock that someone holds means another holder; any other failure says nothing of one.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return Result<bool>::success(false);
        return Error{Error::Kind::Io, path_ + ": " + std::strerror(error)};
    }
    fd_ = fd;
    return Result<bool>::success(true);
}

}  // namespace corkwallery::platform
