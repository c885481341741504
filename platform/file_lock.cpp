#include "platform/file_lock.h"

#include "platform/interrupt.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace kestrune::platform {

namespace {

// How often a waiter tries again: short against the patience, long against a
// busy loop.
constexpr std::chrono::milliseconds RetryInterval{20};

} // namespace

FileLock::FileLock(const std::string& Path, std::chrono::milliseconds Patience) {
    // Read-only is enough for flock, so a folder the user may not write can
    // still be locked while it is only read. Non-blocking: a FIFO of that
    // name must not hang the open.
    FDescriptor = ::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (FDescriptor < 0) {
        throw std::system_error(errno, std::generic_category(), "cannot open " + Path);
    }
    const auto giveUp = std::chrono::steady_clock::now() + Patience;
    const auto fail = [&](int Error, const char* What) {
        ::close(FDescriptor);
        throw std::system_error(Error, std::generic_category(), What + Path);
    };
    while (::flock(FDescriptor, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            fail(errno, "cannot lock ");
        }
        if (InterruptRequested()) {
            fail(EINTR, "stopped while waiting for the lock of ");
        }
        if (std::chrono::steady_clock::now() >= giveUp) {
            fail(ETIMEDOUT, "another program holds the lock of ");
        }
        std::this_thread::sleep_for(RetryInterval);
    }
}

FileLock::~FileLock() {
    ::close(FDescriptor);
}

} // namespace kestrune::platform
