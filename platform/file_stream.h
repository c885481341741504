#pragma once

// A file created anew for writing (an existing file of that name is replaced).
// The descriptor is closed when the object goes; Close reports errors the
// kernel only tells at close time (for example on network file systems).

#include "platform/output_stream.h"

#include <string>

namespace kestrune::platform {

class FileStream final : public OutputStream {
public:
    // Throws std::system_error naming the file when it cannot be created.
    explicit FileStream(const std::string& Path);
    ~FileStream() override;

    void Write(std::span<const std::byte> Data) override;
    void WriteAt(std::uint64_t Offset, std::span<const std::byte> Data) override;
    std::uint64_t Size() const override { return FSize; }

    // A plain file, as opposed to a device or a pipe: only such a file can be
    // overwritten in place or removed after a failure.
    bool IsRegularFile() const { return FRegular; }

    // Flushes and closes; throws on failure. Harmless when already closed.
    void Close();

private:
    int FDescriptor = -1;
    bool FRegular = false;
    std::uint64_t FSize = 0;
    std::string FPath;
};

// Removes a file; returns false when it could not (it may already be gone).
bool RemoveFile(const std::string& Path) noexcept;

} // namespace kestrune::platform
