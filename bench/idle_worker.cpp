// How much processor time a sink's worker uses while it has nothing to do:
// resumed before any run, and kept awake after a run (SuspendWhenIdle clear).
// Target: well under 1 ms a second in both.

#include "pipeline/audio_output.h"
#include "platform/main_thread.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <span>
#include <thread>

namespace {

using namespace std::chrono_literals;
using kestrune::TAudioInput;
using kestrune::TAudioOutput;
using kestrune::TComponent;

// A source of a few silent blocks.
class SilentSource : public TAudioInput {
public:
    using TAudioInput::TAudioInput;
    int GetBitsPerSample() override { return 16; }
    int GetChannels() override { return 2; }
    int GetSampleRate() override { return 44100; }
    std::int32_t ReadBlock(std::span<std::byte> Buffer) override {
        const auto count =
            std::min<std::int32_t>(static_cast<std::int32_t>(Buffer.size()), Size() - Position());
        FPosition += count;
        return count;
    }
    void OpenSource() override {
        FSize = 4 * 16384;
        FPosition = 0;
        FBusy = true;
    }
    void CloseSource() override {
        FBusy = false;
        FSize = 0;
    }
};

// A sink that throws its blocks away.
class DiscardingSink : public TAudioOutput {
public:
    using TAudioOutput::TAudioOutput;
    ~DiscardingSink() override { EndWorker(); }

protected:
    void OpenOutput() override { Input()->OpenSource(); }
    bool WriteNextBlock() override {
        std::array<std::byte, 16384> block{};
        return ReadInput(block) > 0;
    }
    void CloseOutput() override { CloseInput(); }
};

// The main thread sleeps meanwhile, so the process's processor time is the
// worker's.
void Report(const char* What) {
    kestrune::platform::WaitOnMainThreadFor([] { return false; }, 50ms);
    const std::clock_t start = std::clock();
    std::this_thread::sleep_for(1s);
    const double used = 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    std::printf("%-40s %8.3f ms of processor time a second\n", What, used);
}

} // namespace

int main() {
    {
        auto sink = kestrune::MakeComponent<DiscardingSink>();
        sink->Resume();
        Report("worker resumed before any run");
    }
    {
        auto source = kestrune::MakeComponent<SilentSource>();
        auto sink = kestrune::MakeComponent<DiscardingSink>();
        std::atomic<bool> done{false};
        sink->SetSuspendWhenIdle(false);
        sink->SetOnDone([&](TComponent&) { done = true; });
        sink->SetInput(source.get());
        sink->Start();
        kestrune::platform::WaitOnMainThread([&] { return done.load(); });
        Report("worker kept awake after a run");
    }
    return 0;
}
