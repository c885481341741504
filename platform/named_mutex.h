#pragma once

#include <string>

namespace kestrune::platform {

enum class NamedMutexStatus {
    Acquired,      // this process holds it
    HeldElsewhere, // another process holds it
    Unavailable,   // it could not be made; Reason() says why
};

// A lock one process at a time can hold, named system-wide for the user. It is
// an exclusive flock on a file in a directory only the user can write (the
// user's runtime directory, else a private one made in the temporary folder):
// the system drops it when the holder ends, so a crashed or killed copy never
// locks the user out, and no other user can plant it.
class NamedMutex {
public:
    explicit NamedMutex(const std::string& Name);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;
    NamedMutex(NamedMutex&&) = delete;
    NamedMutex& operator=(NamedMutex&&) = delete;

    NamedMutexStatus Status() const { return FStatus; }
    bool Acquired() const { return FStatus == NamedMutexStatus::Acquired; }
    // Why the lock could not be made; empty otherwise.
    const std::string& Reason() const { return FReason; }

    // Where the lock of that name lives.
    static std::string LockPath(const std::string& Name);

private:
    int FDescriptor = -1;
    NamedMutexStatus FStatus = NamedMutexStatus::Unavailable;
    std::string FReason;
};

} // namespace kestrune::platform
