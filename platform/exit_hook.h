#pragma once

#include <functional>

namespace kestrune::platform {

// A last call when the process ends through exit() without returning from
// main: the window system's library does that when the display connection
// breaks, and a rip under way would lose its file. While an ExitHook lives
// its call runs then, on the thread that calls exit(). One hook at a time; a
// new one replaces the one before.
class ExitHook {
public:
    explicit ExitHook(std::function<void()> Call);
    ~ExitHook();
    ExitHook(const ExitHook&) = delete;
    ExitHook& operator=(const ExitHook&) = delete;
    ExitHook(ExitHook&&) = delete;
    ExitHook& operator=(ExitHook&&) = delete;
};

// Registers the process's exit handler, once. exit() runs its handlers and
// destroys static objects in the reverse order of their making, so call it
// right before the work the hook protects begins: the hook then runs before
// the libraries and tables that work uses (made earlier) are destroyed.
void PrepareExitHooks();

} // namespace kestrune::platform
