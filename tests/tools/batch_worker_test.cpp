// The work beside the encoder gets every byte the reader passes, in order, a
// second of audio at a time, and the reader is held back rather than let the
// batches waiting for the work pile up.

#include "tools/kestrune-rip/batch_worker.h"

#include "tests/support/gate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

namespace kestrune::rip {
namespace {

std::vector<std::byte> Pattern(std::size_t Size) {
    std::vector<std::byte> bytes(Size);
    for (std::size_t i = 0; i < Size; ++i) {
        bytes[i] = static_cast<std::byte>((i * 7 + i / 251) & 0xFF);
    }
    return bytes;
}

TEST(BatchWorker, TheWorkSeesEveryByteInOrderASecondAtATime) {
    // Blocks of a sector's size do not divide a batch: each batch ends inside
    // the block that filled it.
    constexpr std::size_t block = 2352;
    const std::vector<std::byte> read = Pattern(block * 300 + 5);
    std::vector<std::byte> seen;
    std::vector<std::size_t> batches;
    BatchWorker worker([&](std::span<const std::byte> Bytes) {
        seen.insert(seen.end(), Bytes.begin(), Bytes.end());
        batches.push_back(Bytes.size());
    });
    for (std::size_t at = 0; at < read.size(); at += block) {
        worker.Add(std::span(read).subspan(at, std::min(block, read.size() - at)));
    }
    worker.WaitDone();
    // What fills no batch waits for the end of the reading.
    EXPECT_LT(seen.size(), read.size());
    worker.HandOver();
    worker.HandOver(); // nothing is left: no empty batch
    worker.WaitDone();
    EXPECT_EQ(seen, read);
    ASSERT_EQ(batches.size(), read.size() / BatchWorker::BatchBytes + 1);
    for (std::size_t i = 0; i + 1 < batches.size(); ++i) {
        EXPECT_GE(batches[i], BatchWorker::BatchBytes);
        EXPECT_LT(batches[i], BatchWorker::BatchBytes + block);
    }
}

TEST(BatchWorker, TheReaderWaitsWhenTheWorkFallsBehind) {
    test::Gate gate(false);
    std::atomic<int> done{0};
    BatchWorker worker([&](std::span<const std::byte>) {
        gate.Pass();
        ++done;
    });
    const std::vector<std::byte> batch(BatchWorker::BatchBytes);
    constexpr int tries = static_cast<int>(BatchWorker::MostWaiting) + 5;
    std::atomic<int> added{0};
    std::jthread reader([&] {
        for (int i = 0; i < tries; ++i) {
            worker.Add(batch);
            ++added;
        }
    });
    // The work holds the first batch at the gate, the queue holds as many as
    // it may, and the reader is stuck on the one after.
    gate.AwaitWaiter();
    const int bound = static_cast<int>(BatchWorker::MostWaiting) + 1;
    while (added < bound) {
        std::this_thread::yield();
    }
    // A reader that was not held would have added all of them by now.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(added, bound);
    EXPECT_EQ(done, 0);
    gate.Open();
    reader.join();
    worker.WaitDone();
    EXPECT_EQ(added, tries);
    EXPECT_EQ(done, tries);
}

} // namespace
} // namespace kestrune::rip
