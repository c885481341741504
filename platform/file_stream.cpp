#include "platform/file_stream.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace kestrune::platform {

namespace {

[[noreturn]] void ThrowFileError(int Error, const std::string& What, const std::string& Path) {
    throw std::system_error(Error, std::generic_category(), What + " " + Path);
}

} // namespace

FileStream::FileStream(const std::string& Path) : FPath(Path) {
    FDescriptor = ::open(Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (FDescriptor < 0) {
        ThrowFileError(errno, "cannot create", Path);
    }
    struct stat info {};
    FRegular = ::fstat(FDescriptor, &info) == 0 && S_ISREG(info.st_mode);
}

FileStream::~FileStream() {
    if (FDescriptor >= 0) {
        // Errors at this point have no one left to hear them; Close reports them.
        ::close(FDescriptor);
    }
}

namespace {

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
    if (Offset + Data.size() > FSize) {
        ThrowFileError(EINVAL, "cannot overwrite past the end of", FPath);
    }
    WriteFully(Data, FPath, [&](std::span<const std::byte> rest, std::uint64_t done) {
        return ::pwrite(FDescriptor, rest.data(), rest.size(), static_cast<off_t>(Offset + done));
    });
}

void FileStream::Close() {
    if (FDescriptor < 0) {
        return;
    }
    const int descriptor = FDescriptor;
    FDescriptor = -1;
    if (::close(descriptor) != 0 && errno != EINTR) {
        ThrowFileError(errno, "cannot close", FPath);
    }
}

bool RemoveFile(const std::string& Path) noexcept {
    return std::remove(Path.c_str()) == 0;
}

} // namespace kestrune::platform
