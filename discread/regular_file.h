#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace discread {

// A file of a disc image, open for reading. Only regular files are opened: a
// FIFO would block for ever, a device or /dev/zero never ends, and neither is a
// disc image. Raises FileError with a message naming the file.
class RegularFile {
public:
    explicit RegularFile(const std::string& Path);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;
    RegularFile(RegularFile&& Other) noexcept;
    RegularFile& operator=(RegularFile&&) = delete;

    const std::string& Path() const { return FPath; }
    // The size when it was opened.
    std::int64_t Size() const { return FSize; }
    // The size now: a file may be cut while it is read.
    std::int64_t CurrentSize() const;
    std::uint64_t Device() const { return FDevice; }
    std::uint64_t Inode() const { return FInode; }

    // Reads exactly Count bytes at Offset; false when the file holds fewer or
    // the read fails.
    bool ReadAt(std::int64_t Offset, void* Buffer, std::size_t Count) const;
    // The whole file, which must not be larger than MaxBytes.
    std::string ReadAll(std::int64_t MaxBytes) const;

private:
    std::string FPath;
    int FHandle = -1;
    std::int64_t FSize = 0;
    std::uint64_t FDevice = 0;
    std::uint64_t FInode = 0;
};

// Why Path cannot be opened as a regular file ("does not exist", "is a
// directory", "is not a regular file", the system's reason); empty when it can.
std::string RegularFileProblem(const std::string& Path);

} // namespace discread
