#include "platform/exit_hook.h"

#include <cstdlib>
#include <utility>

namespace kestrune::platform {

namespace {

// The hook of the process: what exit() still has to do.
std::function<void()>& CurrentHook() {
    static std::function<void()> hook;
    return hook;
}

extern "C" void RunExitHook() {
    // Taken out first: the call may itself end in exit(), and runs once.
    const std::function<void()> hook = std::exchange(CurrentHook(), {});
    if (hook) {
        hook();
    }
}

} // namespace

void PrepareExitHooks() {
    static const bool registered = std::atexit(RunExitHook) == 0;
    static_cast<void>(registered);
}

ExitHook::ExitHook(std::function<void()> Call) {
    CurrentHook() = std::move(Call);
}

ExitHook::~ExitHook() {
    CurrentHook() = {};
}

} // namespace kestrune::platform
