#include "answer_server.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

namespace kestrune::test {

namespace {

// A pipe whose one end is kept in Ours; the child's end is returned.
platform::FileDescriptor MakePipe(std::optional<platform::FileDescriptor>& Ours, bool OursReads) {
    std::array<int, 2> ends{};
    if (::pipe2(ends.data(), O_CLOEXEC) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot make a pipe");
    }
    const auto [readEnd, writeEnd] = ends;
    Ours.emplace(OursReads ? readEnd : writeEnd);
    return platform::FileDescriptor(OursReads ? writeEnd : readEnd);
}

// Starts the server with Input as its standard input and Output as its
// standard output; every other descriptor of ours closes at its exec.
pid_t Spawn(const std::string& Folder, int Input, int Output) {
    std::vector<std::string> words{KESTRUNE_PYTHON, ANSWER_SERVER, Folder};
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, Input, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, Output, STDOUT_FILENO);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        throw std::system_error(error, std::generic_category(), "cannot start the answer server");
    }
    return pid;
}

} // namespace

AnswerServer::AnswerServer(const std::string& Folder) {
    // A proxy the machine has set would answer for the loopback server (the
    // discovered tests take one environment variable only, so it is set here).
    ::setenv("no_proxy", "127.0.0.1", 1);
    {
        const platform::FileDescriptor input = MakePipe(FInput, false);
        const platform::FileDescriptor output = MakePipe(FOutput, true);
        FPid = Spawn(Folder, input.Get(), output.Get());
    }
    try {
        FPort = NextRecord().get<int>();
    } catch (...) {
        Stop();
        throw;
    }
}

AnswerServer::~AnswerServer() {
    Stop();
}

void AnswerServer::Stop() {
    if (FPid <= 0) {
        return; // kill(-1) would reach every process we may signal
    }
    ::kill(FPid, SIGTERM);
    int status = 0;
    while (::waitpid(FPid, &status, 0) < 0 && errno == EINTR) {
    }
}

std::string AnswerServer::Url(const std::string& Path) const {
    return "http://127.0.0.1:" + std::to_string(FPort) + Path;
}

nlohmann::json AnswerServer::NextRecord(std::chrono::milliseconds Timeout) {
    return nlohmann::json::parse(NextLine(Timeout));
}

nlohmann::json AnswerServer::RecordOf(const std::string& Path) {
    for (;;) {
        nlohmann::json record = NextRecord();
        if (record.value("path", "") == Path && record.contains("agent")) {
            return record;
        }
    }
}

std::string AnswerServer::NextLine(std::chrono::milliseconds Timeout) {
    const auto deadline = std::chrono::steady_clock::now() + Timeout;
    for (;;) {
        const std::size_t end = FPending.find('\n');
        if (end != std::string::npos) {
            std::string line = FPending.substr(0, end);
            FPending.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{FOutput->Get(), POLLIN, 0};
        if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) == 0) {
            throw std::runtime_error("The answer server logged nothing in time.");
        }
        std::array<char, 4096> buffer{};
        const ssize_t got = ::read(FOutput->Get(), buffer.data(), buffer.size());
        if (got == 0) {
            throw std::runtime_error("The answer server has ended.");
        }
        if (got > 0) {
            FPending.append(buffer.data(), static_cast<std::size_t>(got));
        }
    }
}

} // namespace kestrune::test
