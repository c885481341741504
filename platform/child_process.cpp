#include "platform/child_process.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>

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
    pid_t pid = 0;
    if (const int error =
            ::posix_spawn(&pid, Program.c_str(), nullptr, nullptr, argv.data(), environ);
        error != 0) {
        throw std::system_error(error, std::generic_category(), "cannot start " + Program);
    }
    FPid = pid;
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

} // namespace kestrune::platform
