#include "platform/qt_signal_watcher.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace kestrune::platform {

namespace {

constexpr std::array<int, 3> Watched{SIGINT, SIGTERM, SIGHUP};

// Where the handler writes: the one watcher's pipe, or -1. Process-wide
// because a signal handler can reach nothing else.
std::atomic<int> WakeDescriptor{-1};
static_assert(std::atomic<int>::is_always_lock_free);

std::array<struct sigaction, Watched.size()>& Previous() {
    static std::array<struct sigaction, Watched.size()> previous{};
    return previous;
}

extern "C" void WakeWatcher(int Signal) {
    const int saved = errno;
    const int descriptor = WakeDescriptor.load();
    if (descriptor >= 0) {
        const auto byte = static_cast<unsigned char>(Signal);
        // A full pipe already holds a wake-up; nothing more is needed.
        [[maybe_unused]] const ssize_t written = ::write(descriptor, &byte, 1);
    }
    errno = saved;
}

} // namespace

QtSignalWatcher::QtSignalWatcher(std::function<void(int Signal)> OnSignal, QObject* AParent)
    : QObject(AParent), FOnSignal(std::move(OnSignal)) {
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot watch for signals");
    }
    FReadEnd = ends[0];
    FWriteEnd = ends[1];
    FNotifier = std::make_unique<QSocketNotifier>(FReadEnd, QSocketNotifier::Read);
    connect(FNotifier.get(), &QSocketNotifier::activated, this, &QtSignalWatcher::Drain);
    WakeDescriptor.store(FWriteEnd);
    struct sigaction action {};
    action.sa_handler = WakeWatcher;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < Watched.size(); ++i) {
        sigaction(Watched[i], &action, &Previous()[i]);
    }
}

QtSignalWatcher::~QtSignalWatcher() {
    for (std::size_t i = 0; i < Watched.size(); ++i) {
        sigaction(Watched[i], &Previous()[i], nullptr);
    }
    WakeDescriptor.store(-1);
    FNotifier.reset();
    ::close(FReadEnd);
    ::close(FWriteEnd);
}

void QtSignalWatcher::Drain() {
    unsigned char byte = 0;
    while (::read(FReadEnd, &byte, 1) == 1) {
        if (FOnSignal) {
            FOnSignal(byte);
        }
    }
}

} // namespace kestrune::platform
