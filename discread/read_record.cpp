#include "read_record.h"

#include <algorithm>
#include <iterator>

namespace discread {

void ReadRecord::Note(std::int64_t First, std::int64_t Count, std::int64_t Got, std::string Why) {
    if (First < 0 || Got < 0) {
        return;
    }
    const auto end = static_cast<std::size_t>(First + Got);
    if (FDelivered.size() < end) {
        FDelivered.resize(end, false);
    }
    std::fill(FDelivered.begin() + static_cast<std::ptrdiff_t>(First),
              FDelivered.begin() + static_cast<std::ptrdiff_t>(end), true);
    if (Got < Count) {
        FLast = Why;
        FFailures.insert_or_assign(First + Got, Failure{First + Count, std::move(Why)});
    }
}

std::optional<std::int64_t> ReadRecord::FirstFailed(std::int64_t First, std::int64_t End) const {
    std::optional<std::int64_t> first;
    for (auto at = FFailures.begin(); at != FFailures.end() && at->first < End; ++at) {
        if (at->second.End > First) {
            const std::int64_t sector = std::max(at->first, First);
            first = std::min(first.value_or(sector), sector);
        }
    }
    return first;
}

void ReadRecord::Forget(std::int64_t First, std::int64_t End) {
    for (auto at = FFailures.begin(); at != FFailures.end() && at->first < End;) {
        at = at->second.End > First ? FFailures.erase(at) : std::next(at);
    }
}

bool ReadRecord::Delivered(std::int64_t Sector) const {
    return Sector >= 0 && static_cast<std::size_t>(Sector) < FDelivered.size() &&
           FDelivered[static_cast<std::size_t>(Sector)];
}

std::string ReadRecord::WhyLost(std::int64_t Sector) const {
    // The failures that began at or before Sector, nearest first: the first
    // that reached over it is a read that should have given it.
    for (auto at = FFailures.upper_bound(Sector); at != FFailures.begin();) {
        --at;
        if (at->second.End > Sector) {
            return at->second.Why;
        }
    }
    const auto after = FFailures.lower_bound(Sector);
    if (after != FFailures.end()) {
        return after->second.Why;
    }
    return FLast;
}

} // namespace discread
