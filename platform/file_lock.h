#pragma once

#include <chrono>
#include <string>

namespace kestrune::platform {

// An exclusive advisory lock on a file or folder, held for the object's
// lifetime. The kernel drops it when the holder dies, so a crash never leaves
// it stuck; a live holder may keep it, so the wait for it is bounded, and a
// stop the user asked for (platform/interrupt.h) ends the wait at once.
class FileLock {
public:
    static constexpr std::chrono::milliseconds DefaultPatience{10000};

    // Throws std::system_error naming the path when it cannot be opened, when
    // another process holds it for longer than Patience (ETIMEDOUT), or when
    // the user asks to stop while it waits (EINTR).
    explicit FileLock(const std::string& Path,
                      std::chrono::milliseconds Patience = DefaultPatience);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock(FileLock&&) = delete;
    FileLock& operator=(FileLock&&) = delete;

private:
    int FDescriptor = -1;
};

} // namespace kestrune::platform
