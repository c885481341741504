#include "platform/interrupt.h"

#include <atomic>
#include <csignal>

namespace kestrune::platform {

namespace {

// Written by the signal handler, hence lock-free and process-wide.
std::atomic<int> Interrupt{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void NoteInterrupt(int Signal) {
    int none = 0;
    Interrupt.compare_exchange_strong(none, Signal);
}

} // namespace

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = NoteInterrupt;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
}

bool InterruptRequested() {
    return Interrupt.load() != 0;
}

int InterruptSignal() {
    return Interrupt.load();
}

void IgnoreBrokenPipes() {
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    sigaction(SIGPIPE, &action, nullptr);
}

} // namespace kestrune::platform
