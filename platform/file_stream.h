#pragma once

// The file an output is written to.
//
// A plain file (or a name that does not exist yet) is never written in place:
// the bytes go to a new temporary file beside it, created exclusively in the
// same folder, and Finish syncs that file and renames it over the target in one
// step. Until then a file that was at the target stays exactly as it was, and a
// process killed on the way leaves no half-written file under the user's name
// (only the hidden temporary one, which holds a lock while it is written; the
// next temporary file made in that folder removes parts whose writer has gone,
// see stale_parts.h). A link is followed: its target is replaced and the link
// kept.
//
// Anything else that exists (a pipe, a terminal, a device, a socket), as
// stat tells it and wherever its name lives, is written directly, from where it
// stands, and cannot be rewritten.
//
// Every error is a std::system_error whose text names the file.

#include "platform/output_stream.h"

#include <memory>
#include <string>

namespace kestrune::platform {

class FileStream final : public OutputStream {
public:
    struct StandardOutputTag {
        explicit StandardOutputTag() = default;
    };
    static constexpr StandardOutputTag ToStandardOutput{};

    explicit FileStream(const std::string& Path);
    // Streams to this process's standard output as it was handed over: from where
    // it stands, in its own mode (appending, say), whatever it is (a socket
    // cannot be opened by name). Name is for messages; the descriptor stays open.
    FileStream(StandardOutputTag, const std::string& Name);
    ~FileStream() override;

    void Write(std::span<const std::byte> Data) override;
    bool CanRewrite() const override { return !FTemporary.empty(); }
    void WriteAt(std::uint64_t Offset, std::span<const std::byte> Data) override;
    std::uint64_t Size() const override { return FSize; }
    void Finish() override;
    void Abandon() noexcept override;
    std::string PendingFile() const override { return FTemporary; }

    // The temporary file the bytes go to until Finish; empty when written directly.
    const std::string& TemporaryPath() const { return FTemporary; }

private:
    // False when Path turned out to be a plain file after all.
    bool OpenDirect(const std::string& Path, bool Fifo);
    void OpenTemporary(const std::string& Target);

    int FDescriptor = -1;
    bool FOwned = true; // closed when done, unlike standard output
    std::uint64_t FSize = 0;
    std::string FPath;      // the name the user gave, for messages
    std::string FTarget;    // the file Finish replaces
    std::string FTemporary; // where the bytes go until then
};

} // namespace kestrune::platform
