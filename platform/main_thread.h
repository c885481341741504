#pragma once

// The main-thread call queue.
//
// A worker hands a call to the main thread and blocks until the main thread has
// run it; an exception thrown by the call is rethrown on the worker. The main
// thread runs pending calls from its event loop (any loop: a GUI loop installs a
// waker that nudges it, a console loop pumps by itself) and whenever it waits for
// a worker, so a worker waiting for the main thread and the main thread waiting
// for that worker never block each other.
//
// The main thread is the thread that initialised the program's static data.

#include <chrono>
#include <functional>

namespace kestrune::platform {

bool IsMainThread();

// Runs Call on the main thread and waits for it. On the main thread itself the
// call runs at once.
void RunOnMainThread(const std::function<void()>& Call);

// Main thread only: runs the calls queued so far. Returns how many ran.
int PumpMainThreadCalls();

// Main thread only: runs queued calls until Done() holds. Whoever makes Done()
// true must call WakeMainThread afterwards.
void WaitOnMainThread(const std::function<bool()>& Done);

// As above, but gives up after Timeout; returns whether Done() held.
bool WaitOnMainThreadFor(const std::function<bool()>& Done, std::chrono::milliseconds Timeout);

// Tells a main thread that waits in WaitOnMainThread, or in an event loop through
// the waker, to look again.
void WakeMainThread();

// Installed by an event loop that does not pump by itself: called (from any
// thread) whenever a call is queued or the main thread is woken. An empty
// function removes it.
void SetMainThreadWaker(std::function<void()> Waker);

} // namespace kestrune::platform
