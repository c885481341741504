#include "platform/interrupt.h"

#include <atomic>
#include <csignal>

namespace kestrune::platform {

namespace {

// Written by the signal handler, hence lock-free and process-wide.
std::atomic<bool> Interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void NoteInterrupt(int) {
    Interrupted.store(true);
}

} // namespace

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = NoteInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool InterruptRequested() {
    return Interrupted.load();
}

} // namespace kestrune::platform
