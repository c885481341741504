#pragma once

#include "platform/file_descriptor.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace kestrune::platform {

// A program started with arguments, in this process's group (so Ctrl-C at the
// terminal reaches it too). It is sent SIGTERM when this process dies, however
// it dies, so no worker runs on orphaned. Waited for when the object goes if
// nobody waited before.
class ChildProcess {
public:
    // Raises std::system_error when the program cannot be started.
    ChildProcess(const std::string& Program, const std::vector<std::string>& Arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ChildProcess(ChildProcess&&) = delete;
    ChildProcess& operator=(ChildProcess&&) = delete;

    // Waits for the program to end; its exit status, or 128 + the signal that ended it.
    int Wait();
    // Whether it has ended; Status() is then valid.
    bool Poll();
    int Status() const { return FStatus; }
    // Sends a signal while it runs; nothing once it has ended.
    void Signal(int Number) const;

private:
    friend void WaitForAnyEnd(const std::vector<const ChildProcess*>& Processes,
                              std::chrono::milliseconds Timeout);

    int FPid = -1;
    int FStatus = -1;
    // Readable once the program has ended; none where the system has no
    // process descriptors.
    std::optional<FileDescriptor> FEnded;
};

// Returns when one of Processes has ended (Poll() then says which), when a
// signal arrives, or after Timeout, whichever comes first, so a caller that
// starts the next program as one ends loses no time to a polling interval.
void WaitForAnyEnd(const std::vector<const ChildProcess*>& Processes,
                   std::chrono::milliseconds Timeout);

} // namespace kestrune::platform
