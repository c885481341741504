#pragma once

#include "pipeline/audio_file_out.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace kestrune::test {

// A file sink that keeps what it reads in memory and counts its calls.
class TTestSink : public TAudioFileOut {
public:
    static constexpr std::size_t BlockBytes = 16384;

    using TAudioFileOut::TAudioFileOut;
    ~TTestSink() override { EndWorker(); }

    std::vector<std::byte> Received() const {
        const std::lock_guard lock(FReceivedMutex);
        return FReceived;
    }
    std::size_t ReceivedBytes() const {
        const std::lock_guard lock(FReceivedMutex);
        return FReceived.size();
    }

    bool FailOpen = false;
    // Called on the worker after each block that was processed.
    std::function<void()> AfterBlock;

    std::atomic<int> OpenCalls{0};
    std::atomic<int> CloseCalls{0};
    std::atomic<int> WriteCalls{0};
    std::atomic<std::thread::id> CloseThread{};

protected:
    void OpenOutput() override;
    bool WriteNextBlock() override;
    void CloseOutput() override;

private:
    std::array<std::byte, BlockBytes> FBlock{};
    mutable std::mutex FReceivedMutex;
    std::vector<std::byte> FReceived;
};

} // namespace kestrune::test
