#include "platform/named_mutex.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kestrune::platform {

std::string NamedMutex::LockPath(const std::string& Name) {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime) {
        return std::string(runtime) + "/" + Name + ".lock";
    }
    return "/tmp/" + Name + "-" + std::to_string(::getuid()) + ".lock";
}

NamedMutex::NamedMutex(const std::string& Name) {
    const int descriptor = ::open(LockPath(Name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        return;
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        ::close(descriptor);
        return;
    }
    FDescriptor = descriptor;
}

NamedMutex::~NamedMutex() {
    if (FDescriptor >= 0) {
        ::close(FDescriptor);
    }
}

} // namespace kestrune::platform
