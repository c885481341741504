#include "platform/named_mutex.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrune::platform {

namespace {

std::string SystemError(int Error) {
    return std::strerror(Error);
}

// The user's runtime directory when the session provides a usable one.
std::string SessionRuntimeDirectory() {
    const char* const runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime == '\0') {
        return {};
    }
    struct stat info {};
    if (::lstat(runtime, &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid() ||
        (info.st_mode & 077) != 0) {
        return {};
    }
    return runtime;
}

std::string UserName() {
    if (const passwd* const entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_name) {
        return entry->pw_name;
    }
    return std::to_string(::getuid());
}

std::string PrivateDirectory() {
    std::string runtime = SessionRuntimeDirectory();
    if (!runtime.empty()) {
        return runtime;
    }
    const char* const temp = std::getenv("TMPDIR");
    const std::string base = temp != nullptr && *temp != '\0' ? temp : "/tmp";
    return base + "/runtime-" + UserName();
}

// Makes Directory if needed and makes sure only the user can write it, as the
// desktop's own runtime location does. Raises with the reason otherwise.
void EnsurePrivate(const std::string& Directory) {
    if (::mkdir(Directory.c_str(), 0700) != 0 && errno != EEXIST) {
        throw std::runtime_error("cannot create " + Directory + ": " + SystemError(errno));
    }
    struct stat info {};
    if (::lstat(Directory.c_str(), &info) != 0) {
        throw std::runtime_error("cannot use " + Directory + ": " + SystemError(errno));
    }
    if (!S_ISDIR(info.st_mode)) {
        throw std::runtime_error(Directory + " is not a directory");
    }
    if (info.st_uid != ::getuid()) {
        throw std::runtime_error(Directory + " is not owned by the user");
    }
    if ((info.st_mode & 077) != 0 && ::chmod(Directory.c_str(), 0700) != 0) {
        throw std::runtime_error("cannot make " + Directory + " private: " + SystemError(errno));
    }
}

} // namespace

std::string NamedMutex::LockPath(const std::string& Name) {
    return PrivateDirectory() + "/" + Name + ".lock";
}

NamedMutex::NamedMutex(const std::string& Name) {
    const std::string path = LockPath(Name);
    try {
        EnsurePrivate(PrivateDirectory());
    } catch (const std::runtime_error& e) {
        FReason = e.what();
        return;
    }
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor < 0) {
        FReason = "cannot open " + path + ": " + SystemError(errno);
        return;
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(descriptor);
        if (error == EWOULDBLOCK) {
            FStatus = NamedMutexStatus::HeldElsewhere;
        } else {
            FReason = "cannot lock " + path + ": " + SystemError(error);
        }
        return;
    }
    FDescriptor = descriptor;
    FStatus = NamedMutexStatus::Acquired;
}

NamedMutex::~NamedMutex() {
    if (FDescriptor >= 0) {
        ::close(FDescriptor);
    }
}

} // namespace kestrune::platform
