#include "regular_file.h"

#include "last_error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace discread {

namespace {

std::string Reason(const struct stat& Info) {
    if (S_ISDIR(Info.st_mode)) {
        return "is a folder";
    }
    if (S_ISFIFO(Info.st_mode)) {
        return "is a pipe, not a file";
    }
    if (S_ISCHR(Info.st_mode) || S_ISBLK(Info.st_mode)) {
        return "is a device, not a file";
    }
    return "is not a regular file";
}

std::string ErrnoReason(int Error) {
    return Error == ENOENT ? "does not exist" : std::strerror(Error);
}

} // namespace

std::string RegularFileProblem(const std::string& Path) {
    struct stat info {};
    if (::stat(Path.c_str(), &info) != 0) {
        return ErrnoReason(errno);
    }
    return S_ISREG(info.st_mode) ? std::string() : Reason(info);
}

RegularFile::RegularFile(const std::string& Path) : FPath(Path) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below.
    FHandle = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (FHandle < 0) {
        throw FileError("\"" + Path + "\" " + ErrnoReason(errno));
    }
    struct stat info {};
    if (::fstat(FHandle, &info) != 0 || !S_ISREG(info.st_mode)) {
        const std::string why = Reason(info);
        ::close(FHandle);
        throw FileError("\"" + Path + "\" " + why);
    }
    FSize = info.st_size;
    FDevice = info.st_dev;
    FInode = info.st_ino;
}

std::int64_t RegularFile::CurrentSize() const {
    struct stat info {};
    return ::fstat(FHandle, &info) == 0 ? info.st_size : FSize;
}

RegularFile::RegularFile(RegularFile&& Other) noexcept
    : FPath(std::move(Other.FPath)), FHandle(Other.FHandle), FSize(Other.FSize),
      FDevice(Other.FDevice), FInode(Other.FInode) {
    Other.FHandle = -1;
}

RegularFile::~RegularFile() {
    if (FHandle >= 0) {
        ::close(FHandle);
    }
}

bool RegularFile::ReadAt(std::int64_t Offset, void* Buffer, std::size_t Count) const {
    if (Offset < 0 || Offset > FSize || static_cast<std::int64_t>(Count) > FSize - Offset) {
        return false;
    }
    auto* at = static_cast<char*>(Buffer);
    while (Count > 0) {
        const ssize_t got = ::pread(FHandle, at, Count, static_cast<off_t>(Offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        at += got;
        Offset += got;
        Count -= static_cast<std::size_t>(got);
    }
    return true;
}

std::string RegularFile::ReadAll(std::int64_t MaxBytes) const {
    if (FSize > MaxBytes) {
        throw FileError("\"" + FPath + "\" is too large for a disc image's sheet");
    }
    std::string text(static_cast<std::size_t>(FSize), '\0');
    if (!ReadAt(0, text.data(), text.size())) {
        throw FileError("\"" + FPath + "\" cannot be read");
    }
    return text;
}

} // namespace discread
