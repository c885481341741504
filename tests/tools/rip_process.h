#pragma once

#include <filesystem>
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

// The processes whose parent is Parent.
std::vector<int> ChildrenOf(int Parent);
// Whether the process has ended (gone, or a zombie nobody reaped yet).
bool Ended(int Pid);

// The size of the temporary file a rip writes to in Folder; 0 when none.
std::uintmax_t PartialSize(const std::filesystem::path& Folder);

} // namespace kestrune::test
