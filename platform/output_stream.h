#pragma once

// A destination for encoded bytes. Every failure throws: a stream never lets a
// short or failed write pass as a written one.
//
// What is written becomes the user's result only through Finish; a stream that
// is abandoned (or destroyed unfinished) leaves whatever was at the destination
// before as it was, wherever the destination allows that.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

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
    // Whether bytes already written can be overwritten (not on a pipe or a device).
    virtual bool CanRewrite() const = 0;
    // Overwrites bytes already written, starting at Offset; the end stays where
    // it was. Only where CanRewrite.
    virtual void WriteAt(std::uint64_t Offset, std::span<const std::byte> Data) = 0;
    // Bytes written so far.
    virtual std::uint64_t Size() const = 0;
    // Makes what was written the destination's content, durably. Throws when it
    // cannot; the stream is then abandoned.
    virtual void Finish() = 0;
    // Gives up what was written, as far as the destination allows.
    virtual void Abandon() noexcept = 0;
    // The file that holds what was written until Finish, for a step that edits
    // it by name before it becomes the user's (a tag writer): written and
    // closed by that step before Finish. Empty where there is no such file.
    virtual std::string PendingFile() const { return {}; }
};

} // namespace kestrune::platform
