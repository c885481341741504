#include "platform/file_stream.h"

#include "platform/interrupt.h"
#include "platform/path_name.h"
#include "platform/stale_parts.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace kestrune::platform {

namespace {

[[noreturn]] void ThrowFileError(int Error, const std::string& What, const std::string& Path) {
    throw std::system_error(Error, std::generic_category(), What + " " + Path);
}

// The file a link leads to, so that replacing it keeps the user's link; the name
// itself for anything else, a dangling link included.
std::string ResolveLink(const std::string& Path) {
    struct stat info {};
    if (::lstat(Path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return Path;
    }
    char resolved[PATH_MAX];
    if (::realpath(Path.c_str(), resolved) == nullptr) {
        return Path;
    }
    return resolved;
}

// Hands Data to WriteSome until all of it is written; a short write is retried
// and a write that makes no progress is an error.
template <class WriteSomeFn>
void WriteFully(std::span<const std::byte> Data, const std::string& Path, WriteSomeFn WriteSome) {
    std::uint64_t done = 0;
    while (!Data.empty()) {
        const ssize_t written = WriteSome(Data, done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            ThrowFileError(errno, "cannot write to", Path);
        }
        if (written == 0) {
            ThrowFileError(ENOSPC, "cannot write to", Path);
        }
        done += static_cast<std::uint64_t>(written);
        Data = Data.subspan(static_cast<std::size_t>(written));
    }
}

} // namespace

FileStream::FileStream(const std::string& Path) : FPath(Path) {
    // What the name is decides, never where it lives: /dev/shm holds plain files
    // and a link anywhere may lead to the user's own.
    struct stat info {};
    if (::stat(Path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) &&
        OpenDirect(Path, S_ISFIFO(info.st_mode))) {
        return;
    }
    OpenTemporary(ResolveLink(Path));
}

FileStream::FileStream(StandardOutputTag, const std::string& Name)
    : FDescriptor(STDOUT_FILENO), FOwned(false), FPath(Name) {}

namespace {

// Opens a FIFO for writing once it has a reader. A blocking open would wait
// for the reader with no way out but a signal that happens to arrive during
// the call; tries without blocking let a stop asked for at any time end it.
int OpenFifo(const std::string& Path) {
    while (true) {
        const int descriptor = ::open(Path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (descriptor >= 0) {
            const int flags = ::fcntl(descriptor, F_GETFL);
            ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK);
            return descriptor;
        }
        if (errno != ENXIO && errno != EINTR) {
            return -1;
        }
        if (InterruptRequested()) {
            errno = EINTR;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace

bool FileStream::OpenDirect(const std::string& Path, bool Fifo) {
    // Neither created nor truncated: only something that is there and is no
    // plain file is written in place.
    FDescriptor = Fifo ? OpenFifo(Path) : ::open(Path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (FDescriptor < 0) {
        ThrowFileError(errno, "cannot create", Path);
    }
    struct stat info {};
    if (::fstat(FDescriptor, &info) != 0 || S_ISREG(info.st_mode)) {
        // Swapped for a plain file since it was looked at.
        ::close(FDescriptor);
        FDescriptor = -1;
        return false;
    }
    return true;
}

void FileStream::OpenTemporary(const std::string& Target) {
    // The temporary name below is cut to fit, so a name the folder cannot hold
    // would fail only at the rename, after the whole run.
    const long longest = ::pathconf(FolderOf(Target).c_str(), _PC_NAME_MAX);
    if (longest > 0 && BaseNameOf(Target).size() > static_cast<std::size_t>(longest)) {
        ThrowFileError(ENAMETOOLONG, "cannot create", FPath);
    }
    FTarget = Target;
    // The name is cut so that the dot, the random part and ".part" still fit
    // within a file name's 255 bytes however long the target's name is.
    const std::string stem = FolderOf(Target) + "/." + BaseNameOf(Target).substr(0, 200) + ".";
    // Parts of earlier writers that died go first, so they are not left for ever.
    RemoveStaleParts(FolderOf(Target));
    // O_EXCL makes the name ours alone; the random part only keeps tries few.
    std::random_device entropy;
    std::uniform_int_distribution<int> letter(0, 35);
    constexpr const char* Letters = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = stem;
        for (int i = 0; i < 8; ++i) {
            candidate += Letters[letter(entropy)];
        }
        candidate += ".part";
        // 0666 lets the umask decide, as for any file the user creates.
        const int descriptor =
            ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0) {
            FDescriptor = descriptor;
            FTemporary = std::move(candidate);
            // Held while the part is written: the sign that its writer lives.
            ::flock(FDescriptor, LOCK_EX | LOCK_NB);
            // A file that is replaced keeps its permissions.
            struct stat old {};
            if (::stat(Target.c_str(), &old) == 0) {
                ::fchmod(FDescriptor, old.st_mode & 07777);
            }
            return;
        }
        if (errno != EEXIST) {
            ThrowFileError(errno, "cannot create", FPath);
        }
    }
    ThrowFileError(EEXIST, "cannot create", FPath);
}

FileStream::~FileStream() {
    Abandon();
}

void FileStream::Write(std::span<const std::byte> Data) {
    if (FDescriptor < 0) {
        ThrowFileError(EBADF, "cannot write to closed file", FPath);
    }
    // Plain write, not pwrite, so pipes and devices work as destinations too.
    WriteFully(Data, FPath, [&](std::span<const std::byte> rest, std::uint64_t) {
        return ::write(FDescriptor, rest.data(), rest.size());
    });
    FSize += Data.size();
}

void FileStream::WriteAt(std::uint64_t Offset, std::span<const std::byte> Data) {
    if (FDescriptor < 0) {
        ThrowFileError(EBADF, "cannot write to closed file", FPath);
    }
    if (!CanRewrite()) {
        ThrowFileError(ESPIPE, "cannot rewrite", FPath);
    }
    if (Offset > FSize || Data.size() > FSize - Offset) {
        ThrowFileError(EINVAL, "cannot overwrite past the end of", FPath);
    }
    WriteFully(Data, FPath, [&](std::span<const std::byte> rest, std::uint64_t done) {
        return ::pwrite(FDescriptor, rest.data(), rest.size(), static_cast<off_t>(Offset + done));
    });
}

void FileStream::Finish() {
    if (FDescriptor < 0) {
        ThrowFileError(EBADF, "cannot finish closed file", FPath);
    }
    try {
        // The data must be on disk before the name points at it, or a crash
        // right after the rename could leave an empty file under the user's name.
        if (!FTemporary.empty() && ::fsync(FDescriptor) != 0) {
            ThrowFileError(errno, "cannot write to", FPath);
        }
        const int descriptor = FDescriptor;
        FDescriptor = -1;
        if (FOwned && ::close(descriptor) != 0 && errno != EINTR) {
            ThrowFileError(errno, "cannot close", FPath);
        }
        if (FTemporary.empty()) {
            return;
        }
        if (::rename(FTemporary.c_str(), FTarget.c_str()) != 0) {
            ThrowFileError(errno, "cannot replace", FPath);
        }
        FTemporary.clear();
        // Makes the rename itself durable.
        const int folder = ::open(FolderOf(FTarget).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
    } catch (...) {
        Abandon();
        throw;
    }
}

void FileStream::Abandon() noexcept {
    if (FDescriptor >= 0 && FOwned) {
        ::close(FDescriptor);
    }
    FDescriptor = -1;
    if (!FTemporary.empty()) {
        ::unlink(FTemporary.c_str());
        FTemporary.clear();
    }
}

} // namespace kestrune::platform
