#include "read_gate.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <unistd.h>

namespace discread {

namespace {

struct Gate {
    std::mutex Lock;
    bool Looked = false;
    int Handle = -1;
    // A stop writes a byte here, so that a wait for the FIFO ends at once.
    std::array<int, 2> Wake{-1, -1};
};

Gate& TheGate() {
    static Gate gate;
    return gate;
}

void Open(Gate& G) {
    G.Looked = true;
    const char* const path = std::getenv("DISCREAD_TEST_GATE");
    if (path == nullptr || *path == '\0') {
        return;
    }
    if (::pipe2(G.Wake.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        G.Wake = {-1, -1};
        return;
    }
    G.Handle = ::open(path, O_RDONLY | O_CLOEXEC);
}

void Drain(int Handle) {
    char bytes[64];
    while (::read(Handle, bytes, sizeof bytes) > 0) {
    }
}

} // namespace

bool PassImageReadGate(std::stop_token Stop) {
    Gate& gate = TheGate();
    const std::lock_guard lock(gate.Lock);
    if (!gate.Looked) {
        Open(gate);
    }
    if (gate.Handle < 0) {
        return !Stop.stop_requested();
    }
    const int wake = gate.Wake[1];
    const std::stop_callback onStop(Stop, [wake] {
        const char byte = 0;
        [[maybe_unused]] const auto written = ::write(wake, &byte, 1);
    });
    while (true) {
        std::array<pollfd, 2> ready{pollfd{gate.Handle, POLLIN, 0},
                                    pollfd{gate.Wake[0], POLLIN, 0}};
        if (::poll(ready.data(), ready.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (ready[1].revents != 0) {
            // A byte of an earlier stop may still lie there: only this one counts.
            Drain(gate.Wake[0]);
            if (Stop.stop_requested()) {
                return false;
            }
        }
        if (ready[0].revents != 0) {
            break;
        }
    }
    char token = 0;
    ssize_t got = 0;
    do {
        got = ::read(gate.Handle, &token, 1);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
        ::close(gate.Handle);
        gate.Handle = -1;
    }
    return !Stop.stop_requested();
}

} // namespace discread
