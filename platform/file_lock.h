#pragma once

#include <string>

namespace kestrune::platform {

// An exclusive advisory lock on a file or folder, held for the object's
// lifetime, waiting while another process holds it. The kernel drops it when
// the holder dies, so a crash never leaves it stuck.
class FileLock {
public:
    // Throws std::system_error naming the path when it cannot be opened or locked.
    explicit FileLock(const std::string& Path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock(FileLock&&) = delete;
    FileLock& operator=(FileLock&&) = delete;

private:
    int FDescriptor = -1;
};

} // namespace kestrune::platform
