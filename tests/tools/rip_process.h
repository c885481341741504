#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kestrune::test {

// kestrune-rip started in its own process, with standard output and error
// going to files of their own, so a test can signal it while it runs.
class RipProcess {
public:
    // Prefix is put before the program (setpriv ..., say). A closed standard
    // output (a reader that went away) is made with ClosedOutput.
    RipProcess(const std::vector<std::string>& Arguments, const std::filesystem::path& Logs,
               const std::vector<std::string>& Prefix = {}, bool ClosedOutput = false);
    ~RipProcess();
    RipProcess(const RipProcess&) = delete;
    RipProcess& operator=(const RipProcess&) = delete;

    int Pid() const { return FPid; }
    void Signal(int Number) const;
    // Waits for the end: the exit status, or 128 + the signal that ended it.
    int Wait();
    std::string Out() const;
    std::string Err() const;

private:
    int FPid = -1;
    int FStatus = -1;
    std::filesystem::path FOut;
    std::filesystem::path FErr;
};

// The reading library's gate on image reads (DISCREAD_TEST_GATE) for the rips
// started while it exists: each chunk a rip reads takes one grant, so a test
// holds the rips at known points instead of racing them. Gone, it lets every
// reader run free.
class ReadGate {
public:
    explicit ReadGate(const std::filesystem::path& Fifo);
    ~ReadGate();
    ReadGate(const ReadGate&) = delete;
    ReadGate& operator=(const ReadGate&) = delete;

    // Lets Chunks more chunks be read.
    void Grant(int Chunks) const;
    // Whether every grant has been taken.
    bool Taken() const;
    // Lets the readers on one chunk at a time until Done() holds: a rip that was
    // told to stop ends after the chunk under way, one that was not reads on.
    // False when the readers took nothing more for a minute.
    template <class Condition> bool ChunkByChunkUntil(Condition Done) const;

private:
    bool WaitUntilTakenOr(const std::function<bool()>& Done) const;

    std::filesystem::path FFifo;
    int FHandle = -1;
};

template <class Condition> bool ReadGate::ChunkByChunkUntil(Condition Done) const {
    while (!Done()) {
        if (Taken()) {
            Grant(1);
        }
        if (!WaitUntilTakenOr(Done)) {
            return false;
        }
    }
    return true;
}

// Whether the process has ended (gone, or a zombie nobody reaped yet).
bool Ended(int Pid);

// How many temporary files of rips in Folder hold data.
std::size_t PartsWithData(const std::filesystem::path& Folder);

// The size of the temporary file a rip writes to in Folder; 0 when none.
std::uintmax_t PartialSize(const std::filesystem::path& Folder);

} // namespace kestrune::test
