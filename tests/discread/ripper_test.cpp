// The ripper reads ahead on a thread of its own, and its caller sees exactly
// what reading when asked gave: the chunks in order, a failure at its chunk
// after the good ones, the reading held there until asked again, a full ring
// that holds the reading, and a close that ends a read waiting for ever.

#include "discread.h"
#include "last_error.h"
#include "ripper.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

namespace discread {
namespace {

using namespace std::chrono_literals;

constexpr std::int32_t SectorBytes = 2352;

// What the reading thread asked the drive for, shared with the test.
class ReadLog {
public:
    void Add(std::int32_t Lsn) {
        const std::lock_guard lock(FLock);
        FReads.push_back(Lsn);
        FChanged.notify_all();
    }
    std::vector<std::int32_t> Reads() {
        const std::lock_guard lock(FLock);
        return FReads;
    }
    // Waits until Count reads have begun; false, as a guard against hanging
    // only, when they do not within a minute.
    bool AwaitReads(std::size_t Count) {
        std::unique_lock lock(FLock);
        return FChanged.wait_for(lock, 60s, [&] { return FReads.size() >= Count; });
    }

private:
    std::mutex FLock;
    std::condition_variable FChanged;
    std::vector<std::int32_t> FReads;
};

// Each sector's bytes are its number modulo 251, so a misplaced or repeated
// chunk shows.
std::uint8_t Mark(std::int32_t Sector) {
    return static_cast<std::uint8_t>(Sector % 251);
}

// A drive that logs every read and fails, throws or never ends where told.
class TestDrive final : public ChunkReader {
public:
    explicit TestDrive(ReadLog& ALog) : FLog(ALog) {}

    std::int32_t FailAt = -1;
    int Failures = 0;
    std::string Why;
    std::int32_t ThrowAt = -1;
    bool Endless = false;

    bool Read(std::uint8_t* Buffer, std::int32_t Lsn, std::int32_t Count,
              std::stop_token Stop) override {
        FLog.Add(Lsn);
        if (Endless) {
            std::mutex lock;
            std::condition_variable_any never;
            std::unique_lock held(lock);
            never.wait(held, Stop, [] { return false; });
            return false;
        }
        if (Lsn == FailAt && Failures > 0) {
            --Failures;
            if (!Why.empty()) {
                SetLastError(Why);
            }
            return false;
        }
        if (Lsn == ThrowAt) {
            throw ImageError("sector " + std::to_string(Lsn) + " lies past the end of the disc");
        }
        for (std::int32_t i = 0; i < Count; ++i) {
            std::memset(Buffer + static_cast<std::ptrdiff_t>(i) * SectorBytes, Mark(Lsn + i),
                        SectorBytes);
        }
        return true;
    }

private:
    ReadLog& FLog;
};

struct Chunk {
    std::int32_t Code = DR_OK;
    std::int32_t First = -1;
    std::int32_t Sectors = 0;
    std::string Why;
};

// The next chunk, told as the sectors it holds; -1 as First when its bytes
// are not the marks of one run of sectors.
Chunk Next(Ripper& Reading, std::int32_t ChunkSectors) {
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(ChunkSectors) * SectorBytes, 0xEE);
    Chunk chunk;
    std::int32_t bytes = -1;
    ClearLastError();
    chunk.Code = Reading.Next(buffer.data(), bytes);
    chunk.Why = LastError();
    chunk.Sectors = bytes / SectorBytes;
    if (bytes % SectorBytes != 0 || chunk.Sectors == 0) {
        return chunk;
    }
    // The first sector's mark names it up to 251; the caller knows the rest.
    chunk.First = buffer[0];
    for (std::int32_t i = 0; i < chunk.Sectors; ++i) {
        for (std::int32_t b = 0; b < SectorBytes; ++b) {
            if (buffer[static_cast<std::size_t>(i * SectorBytes + b)] !=
                static_cast<std::uint8_t>((chunk.First + i) % 251)) {
                chunk.First = -1;
                return chunk;
            }
        }
    }
    return chunk;
}

TEST(RipperReadingAhead, TheRangeComesChunkByChunkInOrderAndThenItsEnd) {
    // Whole chunks and a shorter last one, then the end, again and again; a
    // chunk larger than the ring's few seconds reads as well. An empty range
    // reads nothing at all.
    for (const std::int32_t chunkSectors : {75, 400}) {
        SCOPED_TRACE(chunkSectors);
        ReadLog log;
        {
            Ripper reading(std::make_unique<TestDrive>(log), 10, 10 + 3 * chunkSectors + 20,
                           chunkSectors);
            for (std::int32_t i = 0; i < 3; ++i) {
                const Chunk chunk = Next(reading, chunkSectors);
                EXPECT_EQ(chunk.Code, DR_OK);
                EXPECT_EQ(chunk.Sectors, chunkSectors);
                EXPECT_EQ(chunk.First, Mark(10 + i * chunkSectors)) << i;
            }
            const Chunk last = Next(reading, chunkSectors);
            EXPECT_EQ(last.Sectors, 20);
            EXPECT_EQ(last.First, Mark(10 + 3 * chunkSectors));
            for (int again = 0; again < 2; ++again) {
                const Chunk end = Next(reading, chunkSectors);
                EXPECT_EQ(end.Code, DR_OK);
                EXPECT_EQ(end.Sectors, 0);
            }
        }
        EXPECT_EQ(log.Reads().size(), 4u);
    }
    ReadLog none;
    {
        Ripper empty(std::make_unique<TestDrive>(none), 50, 50, 75);
        EXPECT_EQ(Next(empty, 75).Sectors, 0);
    }
    EXPECT_TRUE(none.Reads().empty());
}

TEST(RipperReadingAhead, AFailureComesAtItsChunkAndTheReadingStaysThereUntilAskedAgain) {
    // The chunks before the failed read come first; the failure brings the
    // read's own text to the caller's thread; each time the caller asks again
    // that chunk is read once more, and never before: the drive is asked for
    // 150 exactly once per request until it gives it, and nothing past it.
    ReadLog log;
    auto drive = std::make_unique<TestDrive>(log);
    drive->FailAt = 150;
    drive->Failures = 2;
    drive->Why = "sector 160 cannot be read";
    {
        Ripper reading(std::move(drive), 0, 300, 75);
        EXPECT_EQ(Next(reading, 75).First, Mark(0));
        EXPECT_EQ(Next(reading, 75).First, Mark(75));
        for (int attempt = 0; attempt < 2; ++attempt) {
            const Chunk failed = Next(reading, 75);
            EXPECT_EQ(failed.Code, DR_ERR_READ);
            EXPECT_EQ(failed.Sectors, 0);
            EXPECT_EQ(failed.Why, "sector 160 cannot be read");
            ASSERT_TRUE(log.AwaitReads(3u + static_cast<std::size_t>(attempt)));
        }
        EXPECT_EQ(Next(reading, 75).First, Mark(150));
        EXPECT_EQ(Next(reading, 75).First, Mark(225));
        EXPECT_EQ(Next(reading, 75).Sectors, 0);
    }
    EXPECT_EQ(log.Reads(), (std::vector<std::int32_t>{0, 75, 150, 150, 150, 225}));
}

TEST(RipperReadingAhead, WhatARaisedErrorSaysAndAFailureWithoutTextReachTheCaller) {
    // An exception of the read is a failed read with its text; a failure that
    // says nothing leaves the text to the entry point.
    ReadLog log;
    auto drive = std::make_unique<TestDrive>(log);
    drive->ThrowAt = 75;
    drive->FailAt = 0;
    drive->Failures = 1;
    Ripper reading(std::move(drive), 0, 150, 75);
    const Chunk silent = Next(reading, 75);
    EXPECT_EQ(silent.Code, DR_ERR_READ);
    EXPECT_EQ(silent.Why, "");
    EXPECT_EQ(Next(reading, 75).First, Mark(0));
    const Chunk raised = Next(reading, 75);
    EXPECT_EQ(raised.Code, DR_ERR_READ);
    EXPECT_EQ(raised.Why, "sector 75 lies past the end of the disc");
}

TEST(RipperReadingAhead, ACallerThatDoesNotAskLeavesTheReadingWaitingOnceTheRingIsFull) {
    // Four seconds of one-second chunks: four reads and no more while nobody
    // takes one, then one more read for each chunk taken. Closed while the ring
    // is full, the ripper joins its thread without another read.
    constexpr auto ring = static_cast<std::size_t>(Ripper::AheadSectors / 75);
    ReadLog log;
    {
        Ripper reading(std::make_unique<TestDrive>(log), 0, 20 * 75, 75);
        ASSERT_TRUE(log.AwaitReads(ring));
        for (std::int32_t taken = 1; taken <= 3; ++taken) {
            EXPECT_EQ(Next(reading, 75).First, Mark((taken - 1) * 75));
            ASSERT_TRUE(log.AwaitReads(ring + static_cast<std::size_t>(taken)));
            EXPECT_LE(log.Reads().size(), ring + static_cast<std::size_t>(taken));
        }
    }
    const auto reads = log.Reads();
    ASSERT_EQ(reads.size(), ring + 3);
    for (std::size_t i = 0; i < reads.size(); ++i) {
        EXPECT_EQ(reads[i], static_cast<std::int32_t>(i) * 75);
    }
}

TEST(RipperReadingAhead, ClosingEndsAReadThatWouldWaitForEver) {
    // The stop reaches the drive's read: the ripper goes at once, without the
    // read ever ending by itself.
    ReadLog log;
    auto drive = std::make_unique<TestDrive>(log);
    drive->Endless = true;
    {
        Ripper reading(std::move(drive), 0, 750, 75);
        ASSERT_TRUE(log.AwaitReads(1));
    }
    EXPECT_EQ(log.Reads(), std::vector<std::int32_t>{0});
}

} // namespace
} // namespace discread
