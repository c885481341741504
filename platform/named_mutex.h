#pragma once

#include <string>

namespace kestrune::platform {

// A lock one process at a time can hold, named system-wide for the user. It is
// an exclusive flock on a file in the user's runtime directory: the system
// drops it when the holder ends, so a crashed or killed copy never locks the
// user out.
class NamedMutex {
public:
    explicit NamedMutex(const std::string& Name);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;
    NamedMutex(NamedMutex&&) = delete;
    NamedMutex& operator=(NamedMutex&&) = delete;

    // False when another process holds it (or it could not be made at all).
    bool Acquired() const { return FDescriptor >= 0; }

    // Where the lock of that name lives.
    static std::string LockPath(const std::string& Name);

private:
    int FDescriptor = -1;
};

} // namespace kestrune::platform
