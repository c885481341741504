#pragma once

// A destination for encoded bytes. Every failure throws: a stream never lets a
// short or failed write pass as a written one.

#include <cstddef>
#include <cstdint>
#include <span>

namespace kestrune::platform {

class OutputStream {
public:
    OutputStream() = default;
    virtual ~OutputStream() = default;
    OutputStream(const OutputStream&) = delete;
    OutputStream& operator=(const OutputStream&) = delete;
    OutputStream(OutputStream&&) = delete;
    OutputStream& operator=(OutputStream&&) = delete;

    // Appends all of Data at the end.
    virtual void Write(std::span<const std::byte> Data) = 0;
    // Overwrites bytes already written, starting at Offset; the end stays where it was.
    virtual void WriteAt(std::uint64_t Offset, std::span<const std::byte> Data) = 0;
    // Bytes written so far.
    virtual std::uint64_t Size() const = 0;
};

} // namespace kestrune::platform
