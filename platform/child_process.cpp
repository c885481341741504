#include "platform/child_process.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace kestrune::platform {

namespace {

int StatusOf(int Raw) {
    if (WIFEXITED(Raw)) {
        return WEXITSTATUS(Raw);
    }
    return WIFSIGNALED(Raw) ? 128 + WTERMSIG(Raw) : -1;
}

} // namespace

ChildProcess::ChildProcess(const std::string& Program, const std::vector<std::string>& Arguments) {
    std::vector<std::string> words{Program};
    words.insert(words.end(), Arguments.begin(), Arguments.end());
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    // Everything the child needs is made before fork: between fork and exec
    // only async-signal-safe calls are allowed in a threaded program.
    const pid_t parent = ::getpid();
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot start " + Program);
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        const int error = errno;
        ::close(ready[0]);
        ::close(ready[1]);
        throw std::system_error(error, std::generic_category(), "cannot start " + Program);
    }
    if (pid == 0) {
        ::close(ready[0]);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        // The parent may have died before the line above took effect.
        if (::getppid() != parent) {
            ::_exit(127);
        }
        ::execve(Program.c_str(), argv.data(), environ);
        const int error = errno;
        [[maybe_unused]] const auto written = ::write(ready[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(ready[1]);
    // The pipe closes at exec (no report) or carries exec's error.
    int error = 0;
    ssize_t got = 0;
    do {
        got = ::read(ready[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(ready[0]);
    FPid = pid;
    // Called through syscall(): this C library's header declares the wrapper
    // without C linkage.
    FEnded.emplace(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    if (got == static_cast<ssize_t>(sizeof error)) {
        Wait();
        throw std::system_error(error, std::generic_category(), "cannot start " + Program);
    }
}

ChildProcess::~ChildProcess() {
    if (FPid > 0) {
        Wait();
    }
}

int ChildProcess::Wait() {
    while (FPid > 0) {
        int raw = 0;
        if (::waitpid(FPid, &raw, 0) == FPid) {
            FStatus = StatusOf(raw);
            FPid = -1;
        } else if (errno != EINTR) {
            FPid = -1;
        }
    }
    return FStatus;
}

bool ChildProcess::Poll() {
    if (FPid <= 0) {
        return true;
    }
    int raw = 0;
    const pid_t ended = ::waitpid(FPid, &raw, WNOHANG);
    if (ended == FPid) {
        FStatus = StatusOf(raw);
        FPid = -1;
        return true;
    }
    if (ended < 0 && errno != EINTR) {
        FPid = -1;
        return true;
    }
    return false;
}

void WaitForAnyEnd(const std::vector<const ChildProcess*>& Processes,
                   std::chrono::milliseconds Timeout) {
    std::vector<pollfd> ends;
    bool blind = false;
    for (const ChildProcess* process : Processes) {
        if (process->FPid <= 0) {
            return;
        }
        if (!process->FEnded || !process->FEnded->Valid()) {
            blind = true;
            continue;
        }
        ends.push_back({process->FEnded->Get(), POLLIN, 0});
    }
    // Without a descriptor for every program, look again soon.
    const auto wait = blind ? std::min(Timeout, std::chrono::milliseconds(10)) : Timeout;
    // A signal ends the wait early (EINTR), which is what the caller wants.
    (void)::poll(ends.data(), ends.size(), static_cast<int>(wait.count()));
}

void ChildProcess::Signal(int Number) const {
    if (FPid > 0) {
        ::kill(FPid, Number);
    }
}

} // namespace kestrune::platform
