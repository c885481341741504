#include "platform/main_thread.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

namespace kestrune::platform {

namespace {

// Dynamic initialisation of namespace-scope data runs on the thread that enters main.
const std::thread::id MainThreadId = std::this_thread::get_id();

struct PendingCall {
    const std::function<void()>* Call;
    std::exception_ptr Error;
    bool Finished = false;
};

// The one queue of the process.
struct CallQueue {
    std::mutex Mutex;
    std::condition_variable Changed;  // a call was queued or the main thread was woken
    std::condition_variable Finished; // a queued call has run
    std::deque<PendingCall*> Calls;
    std::uint64_t Generation = 0;
    std::function<void()> Waker;
};

CallQueue& Queue() {
    static CallQueue queue;
    return queue;
}

void NudgeEventLoop(CallQueue& queue) {
    std::function<void()> waker;
    {
        const std::lock_guard lock(queue.Mutex);
        waker = queue.Waker;
    }
    if (waker) {
        waker();
    }
}

void RequireMainThread(const char* what) {
    if (!IsMainThread()) {
        throw std::logic_error(std::string(what) + " must be called on the main thread");
    }
}

} // namespace

bool IsMainThread() {
    return std::this_thread::get_id() == MainThreadId;
}

void RunOnMainThread(const std::function<void()>& Call) {
    if (IsMainThread()) {
        Call();
        return;
    }
    CallQueue& queue = Queue();
    PendingCall pending{&Call, nullptr};
    {
        const std::lock_guard lock(queue.Mutex);
        queue.Calls.push_back(&pending);
        ++queue.Generation;
    }
    queue.Changed.notify_all();
    NudgeEventLoop(queue);
    {
        std::unique_lock lock(queue.Mutex);
        queue.Finished.wait(lock, [&] { return pending.Finished; });
    }
    if (pending.Error) {
        std::rethrow_exception(pending.Error);
    }
}

int PumpMainThreadCalls() {
    RequireMainThread("PumpMainThreadCalls");
    CallQueue& queue = Queue();
    int ran = 0;
    for (;;) {
        PendingCall* next = nullptr;
        {
            const std::lock_guard lock(queue.Mutex);
            if (queue.Calls.empty()) {
                break;
            }
            next = queue.Calls.front();
            queue.Calls.pop_front();
        }
        try {
            (*next->Call)();
        } catch (...) {
            next->Error = std::current_exception();
        }
        {
            // Once Finished is set the waiting worker may return and free `next`.
            const std::lock_guard lock(queue.Mutex);
            next->Finished = true;
        }
        queue.Finished.notify_all();
        ++ran;
    }
    return ran;
}

namespace {

template <class WaitFn> bool WaitPumping(const std::function<bool()>& Done, WaitFn waitForChange) {
    CallQueue& queue = Queue();
    for (;;) {
        std::uint64_t seen = 0;
        {
            const std::lock_guard lock(queue.Mutex);
            seen = queue.Generation;
        }
        PumpMainThreadCalls();
        if (Done()) {
            return true;
        }
        std::unique_lock lock(queue.Mutex);
        const bool changed =
            waitForChange(lock, [&] { return queue.Generation != seen || !queue.Calls.empty(); });
        if (!changed) {
            lock.unlock();
            PumpMainThreadCalls();
            return Done();
        }
    }
}

} // namespace

void WaitOnMainThread(const std::function<bool()>& Done) {
    RequireMainThread("WaitOnMainThread");
    CallQueue& queue = Queue();
    WaitPumping(Done, [&](std::unique_lock<std::mutex>& lock, auto predicate) {
        queue.Changed.wait(lock, predicate);
        return true;
    });
}

bool WaitOnMainThreadFor(const std::function<bool()>& Done, std::chrono::milliseconds Timeout) {
    RequireMainThread("WaitOnMainThreadFor");
    CallQueue& queue = Queue();
    const auto deadline = std::chrono::steady_clock::now() + Timeout;
    return WaitPumping(Done, [&](std::unique_lock<std::mutex>& lock, auto predicate) {
        return queue.Changed.wait_until(lock, deadline, predicate);
    });
}

void WakeMainThread() {
    CallQueue& queue = Queue();
    {
        const std::lock_guard lock(queue.Mutex);
        ++queue.Generation;
    }
    queue.Changed.notify_all();
    NudgeEventLoop(queue);
}

void SetMainThreadWaker(std::function<void()> Waker) {
    CallQueue& queue = Queue();
    const std::lock_guard lock(queue.Mutex);
    queue.Waker = std::move(Waker);
}

} // namespace kestrune::platform
