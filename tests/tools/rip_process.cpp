#include "tests/tools/rip_process.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kestrune::test {

namespace {

std::string ReadAll(const std::filesystem::path& Path) {
    std::ifstream in(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int Counter() {
    static int next = 0;
    return ++next;
}

} // namespace

RipProcess::RipProcess(const std::vector<std::string>& Arguments, const std::filesystem::path& Logs,
                       const std::vector<std::string>& Prefix, bool ClosedOutput) {
    std::filesystem::create_directories(Logs);
    const int number = Counter();
    FOut = Logs / ("out-" + std::to_string(number));
    FErr = Logs / ("err-" + std::to_string(number));
    std::vector<std::string> words = Prefix;
    words.emplace_back(KESTRUNE_RIP);
    words.insert(words.end(), Arguments.begin(), Arguments.end());
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    int closed[2] = {-1, -1};
    if (ClosedOutput) {
        // A pipe whose reader is gone before the first byte is written.
        if (::pipe(closed) != 0) {
            return;
        }
        ::close(closed[0]);
    }
    const std::string out = FOut.string();
    const std::string err = FErr.string();
    FPid = ::fork();
    if (FPid == 0) {
        const int outFile =
            ClosedOutput ? closed[1] : ::open(out.c_str(), O_WRONLY | O_CREAT, 0644);
        const int errFile =
            ClosedOutput ? closed[1] : ::open(err.c_str(), O_WRONLY | O_CREAT, 0644);
        ::dup2(outFile, 1);
        ::dup2(errFile, 2);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    if (ClosedOutput) {
        ::close(closed[1]);
    }
}

RipProcess::~RipProcess() {
    if (FPid > 0 && FStatus < 0) {
        ::kill(FPid, SIGKILL);
        Wait();
    }
}

void RipProcess::Signal(int Number) const {
    ::kill(FPid, Number);
}

int RipProcess::Wait() {
    if (FStatus >= 0 || FPid <= 0) {
        return FStatus;
    }
    int raw = 0;
    while (::waitpid(FPid, &raw, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    FStatus = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return FStatus;
}

std::string RipProcess::Out() const {
    return ReadAll(FOut);
}

std::string RipProcess::Err() const {
    return ReadAll(FErr);
}

ReadGate::ReadGate(const std::filesystem::path& Fifo) : FFifo(Fifo) {
    ::mkfifo(FFifo.c_str(), 0600);
    // Read and write: opening does not wait for a reader, and the readers never
    // see the end while the gate exists.
    FHandle = ::open(FFifo.c_str(), O_RDWR | O_CLOEXEC);
    ::setenv("DISCREAD_TEST_GATE", FFifo.c_str(), 1);
}

ReadGate::~ReadGate() {
    ::unsetenv("DISCREAD_TEST_GATE");
    // Gone before its writer closes: a reader that opens it later finds no
    // gate and runs free, where it would wait for a writer that never comes.
    std::error_code ignored;
    std::filesystem::remove(FFifo, ignored);
    if (FHandle >= 0) {
        ::close(FHandle);
    }
}

void ReadGate::Grant(int Chunks) const {
    const std::string tokens(static_cast<std::size_t>(Chunks), 'g');
    [[maybe_unused]] const auto written = ::write(FHandle, tokens.data(), tokens.size());
}

bool ReadGate::Taken() const {
    int unread = 0;
    return ::ioctl(FHandle, FIONREAD, &unread) == 0 && unread == 0;
}

bool ReadGate::WaitUntilTakenOr(const std::function<bool()>& Done) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!Taken() && !Done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool Ended(int Pid) {
    const std::string stat = ReadAll("/proc/" + std::to_string(Pid) + "/stat");
    const auto close = stat.rfind(')');
    return close == std::string::npos || stat.compare(close + 1, 3, " Z ") == 0;
}

std::size_t PartsWithData(const std::filesystem::path& Folder) {
    std::size_t parts = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Folder)) {
        std::error_code error;
        if (entry.path().extension() == ".part" &&
            std::filesystem::file_size(entry.path(), error) > 0 && !error) {
            ++parts;
        }
    }
    return parts;
}

std::uintmax_t PartialSize(const std::filesystem::path& Folder) {
    std::uintmax_t largest = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Folder)) {
        if (entry.path().extension() == ".part") {
            std::error_code error;
            const auto size = std::filesystem::file_size(entry.path(), error);
            largest = error ? largest : std::max(largest, size);
        }
    }
    return largest;
}

} // namespace kestrune::test
