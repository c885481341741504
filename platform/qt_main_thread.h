#pragma once

namespace kestrune::platform {

// Lets the Qt event loop run the main-thread call queue: while it lives, every
// queued call nudges the loop with a queued invocation that pumps the queue.
// Modal dialogs run nested loops, so calls run during them too.
class QtMainThreadPump {
public:
    QtMainThreadPump();
    ~QtMainThreadPump();
    QtMainThreadPump(const QtMainThreadPump&) = delete;
    QtMainThreadPump& operator=(const QtMainThreadPump&) = delete;
    QtMainThreadPump(QtMainThreadPump&&) = delete;
    QtMainThreadPump& operator=(QtMainThreadPump&&) = delete;
};

} // namespace kestrune::platform
