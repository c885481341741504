#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace discread {

// What a drive has delivered to paranoia, read by read: which sectors some read
// gave, and the reads that failed with what was wrong. Paranoia's matching can
// fill a sector that no read gave from data around it (a pure tone repeats
// exactly), so a sector is only handed on when a read gave it, and a sector
// given up names the failed read behind it.
class ReadRecord {
public:
    // A read of Count sectors from First that gave the first Got of them; when
    // Got < Count it failed there, for the reason Why.
    void Note(std::int64_t First, std::int64_t Count, std::int64_t Got, std::string Why);
    // Whether some read gave Sector.
    bool Delivered(std::int64_t Sector) const;
    // The first sector of [First, End) that a failed read on record did not
    // give, if any.
    std::optional<std::int64_t> FirstFailed(std::int64_t First, std::int64_t End) const;
    // Takes the failed reads that reach into [First, End) off the record.
    void Forget(std::int64_t First, std::int64_t End);
    // What the user hears when Sector is lost: a failed read that should have
    // given it (the one that began nearest before it), else the failure
    // nearest after it (paranoia gives up sectors some way before a bad one),
    // else the last one noted; empty when no read failed.
    std::string WhyLost(std::int64_t Sector) const;

private:
    struct Failure {
        std::int64_t End = 0;
        std::string Why;
    };

    std::vector<bool> FDelivered;
    // By the first sector the read did not give.
    std::map<std::int64_t, Failure> FFailures;
    std::string FLast;
};

} // namespace discread
