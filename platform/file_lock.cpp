#include "platform/file_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>

namespace kestrune::platform {

FileLock::FileLock(const std::string& Path) {
    // Read-only is enough for flock, so a folder the user may not write can
    // still be locked while it is only read.
    FDescriptor = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC);
    if (FDescriptor < 0) {
        throw std::system_error(errno, std::generic_category(), "cannot open " + Path);
    }
    while (::flock(FDescriptor, LOCK_EX) != 0) {
        if (errno != EINTR) {
            const int error = errno;
            ::close(FDescriptor);
            throw std::system_error(error, std::generic_category(), "cannot lock " + Path);
        }
    }
}

FileLock::~FileLock() {
    ::close(FDescriptor);
}

} // namespace kestrune::platform
