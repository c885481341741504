#include "platform/main_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace kestrune::platform {
namespace {

using namespace std::chrono_literals;

TEST(MainThreadQueue, TheTestRunnerIsTheMainThread) {
    EXPECT_TRUE(IsMainThread());
    bool elsewhere = true;
    std::thread([&] { elsewhere = IsMainThread(); }).join();
    EXPECT_FALSE(elsewhere);
}

TEST(MainThreadQueue, CallFromTheMainThreadRunsAtOnce) {
    int ran = 0;
    RunOnMainThread([&] { ++ran; });
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(PumpMainThreadCalls(), 0);
}

TEST(MainThreadQueue, WorkerBlocksUntilTheMainThreadHasRunTheCall) {
    std::atomic<bool> returned{false};
    std::thread::id ranOn;
    std::thread worker([&] {
        RunOnMainThread([&] { ranOn = std::this_thread::get_id(); });
        returned = true;
        WakeMainThread();
    });
    // Nothing pumps yet: the worker must still be waiting.
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(returned.load());
    EXPECT_TRUE(WaitOnMainThreadFor([&] { return returned.load(); }, 10s));
    worker.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(MainThreadQueue, ExceptionOfTheCallIsRethrownOnTheWorker) {
    // The text is handed over through `done`: the main thread reads it only once
    // the worker has published it.
    std::string caught;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        try {
            RunOnMainThread([] { throw std::runtime_error("handler failed"); });
        } catch (const std::runtime_error& e) {
            caught = e.what();
        }
        done = true;
        WakeMainThread();
    });
    EXPECT_TRUE(WaitOnMainThreadFor([&] { return done.load(); }, 10s));
    worker.join();
    EXPECT_EQ(caught, "handler failed");
}

TEST(MainThreadQueue, WaitingForAWorkerRunsItsCallsSoNeitherBlocks) {
    // The worker needs three main-thread calls before it can finish; the main
    // thread waits for it to finish. Without pumping inside the wait this hangs.
    std::atomic<bool> finished{false};
    int calls = 0;
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i) {
            RunOnMainThread([&] { ++calls; });
        }
        finished = true;
        WakeMainThread();
    });
    WaitOnMainThread([&] { return finished.load(); });
    worker.join();
    EXPECT_EQ(calls, 3);
}

TEST(MainThreadQueue, WakerIsCalledWhenACallIsQueued) {
    std::atomic<int> nudges{0};
    std::atomic<bool> done{false};
    SetMainThreadWaker([&] { ++nudges; });
    std::thread worker([&] {
        RunOnMainThread([] {});
        done = true;
        WakeMainThread();
    });
    // An event loop would pump when nudged; here the test is that loop.
    while (nudges.load() == 0) {
        std::this_thread::yield();
    }
    EXPECT_FALSE(done.load());
    EXPECT_TRUE(WaitOnMainThreadFor([&] { return done.load(); }, 10s));
    worker.join();
    SetMainThreadWaker({});
}

TEST(MainThreadQueue, PumpingOffTheMainThreadIsRefused) {
    std::string error;
    std::thread([&] {
        try {
            PumpMainThreadCalls();
        } catch (const std::logic_error& e) {
            error = e.what();
        }
    }).join();
    EXPECT_NE(error.find("main thread"), std::string::npos);
}

TEST(MainThreadQueue, TimedWaitGivesUpWhenNothingHappens) {
    int looks = 0;
    EXPECT_FALSE(WaitOnMainThreadFor([&] { return ++looks < 0; }, 30ms));
    EXPECT_GE(looks, 1) << "it looked at the condition before it gave up";
}

} // namespace
} // namespace kestrune::platform
