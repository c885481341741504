#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <stop_token>
#include <thread>
#include <vector>

namespace kestrune::rip {

// A thread of its own for work a reader's bytes need beside the encoding
// (measuring, summing), so the thread that reads and encodes only copies them.
// The bytes are handed over in batches of about a second of CD audio: the
// worker wakes once a second, not once a block. At most a few batches wait
// and the reader waits beyond that, so memory stays bounded however slow the
// work is. The work sees the bytes in the order they were added, cut where
// the batches were cut (a batch may end inside a sample).
//
// Add and HandOver belong to one thread, the reader's. Whatever the work
// writes may be read by any thread once WaitDone has returned, until the
// reader adds again.
class BatchWorker {
public:
    using Work = std::function<void(std::span<const std::byte>)>;

    explicit BatchWorker(Work Do);
    // Stops the thread; batches it has not begun are dropped.
    ~BatchWorker();
    BatchWorker(const BatchWorker&) = delete;
    BatchWorker& operator=(const BatchWorker&) = delete;
    BatchWorker(BatchWorker&&) = delete;
    BatchWorker& operator=(BatchWorker&&) = delete;

    // Gathers Bytes, handing them over when a batch is full.
    void Add(std::span<const std::byte> Bytes);
    // Hands over what is gathered, however little (the end of a reading).
    void HandOver();
    // Waits until every batch handed over is done.
    void WaitDone() const;

    static constexpr std::size_t BatchBytes = 176400;
    static constexpr std::size_t MostWaiting = 8;

private:
    void DoHandedOver(const std::stop_token& Stop);

    Work FDo;
    mutable std::mutex FLock;
    mutable std::condition_variable FChanged;
    std::deque<std::vector<std::byte>> FWaiting;
    std::vector<std::byte> FGathered;           // the reader's, not yet handed over
    std::vector<std::vector<std::byte>> FSpare; // done batches, their room kept
    bool FWorking = false;                      // a batch taken off the queue is being done
    std::jthread FWorker;                       // last: it goes first, while the rest still exists
};

} // namespace kestrune::rip
