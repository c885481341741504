#include "tools/kestrune-rip/track_accuracy.h"

#include "tools/kestrune-rip/disc_ids.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace kestrune::rip {

namespace {

AccurateRipAnswer Ask(metadata::HttpClient& Client, const metadata::AccurateRipDisc& Disc,
                      const std::string& BaseUrl, const std::stop_token& Stop) {
    AccurateRipAnswer answer;
    try {
        answer.Pressings = metadata::LookUpAccurateRip(Client, BaseUrl, Disc, Stop);
        answer.State =
            answer.Pressings.empty() ? DatabaseAnswer::NotInDatabase : DatabaseAnswer::Answered;
    } catch (const std::exception& e) {
        answer.State = DatabaseAnswer::Failed;
        answer.Warning = e.what();
    }
    return answer;
}

// None when the table gives no ids.
std::optional<metadata::AccurateRipDisc> DiscOf(const std::vector<DiscTrack>& Table) {
    try {
        const DiscIds ids = ComputeDiscIds(Table);
        return metadata::AccurateRipDisc{
            ids.AudioTracks, ids.AccurateRip1, ids.AccurateRip2,
            static_cast<std::uint32_t>(std::stoul(ids.FreeDb, nullptr, 16))};
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace

std::unique_ptr<AccurateRipLookup> AskAccurateRip(metadata::HttpClient& Client,
                                                  const std::vector<DiscTrack>& Table,
                                                  const RipOptions& Options) {
    const std::optional<metadata::AccurateRipDisc> disc = DiscOf(Table);
    if (Options.Offline || !disc || Options.AccurateRipUrl.empty()) {
        return std::make_unique<AccurateRipLookup>(AccurateRipAnswer{});
    }
    return std::make_unique<AccurateRipLookup>(
        [&Client, disc = *disc, url = Options.AccurateRipUrl](const std::stop_token& Stop) {
            return Ask(Client, disc, url, Stop);
        },
        "The tracks are not verified.");
}

TrackAccuracy CheckAccuracy(const AccurateRipAnswer& Answer, std::int32_t AudioNumber,
                            const TrackChecksums& Sums) {
    TrackAccuracy verdict;
    verdict.State = Answer.State;
    if (Answer.State == DatabaseAnswer::NotInDatabase) {
        verdict.Result = Accuracy::NotInDatabase;
    }
    if (Answer.State != DatabaseAnswer::Answered || AudioNumber < 1) {
        return verdict;
    }
    verdict.Result = Accuracy::NotAccurate;
    const auto index = static_cast<std::size_t>(AudioNumber - 1);
    for (const metadata::AccurateRipPressing& pressing : Answer.Pressings) {
        if (index >= pressing.size()) {
            continue;
        }
        const metadata::AccurateRipEntry& entry = pressing[index];
        verdict.Total += entry.Confidence;
        const int version = entry.Crc == Sums.AccurateRip2   ? 2
                            : entry.Crc == Sums.AccurateRip1 ? 1
                                                             : 0;
        if (version != 0 && entry.Confidence > verdict.Confidence) {
            verdict.Result = Accuracy::Accurate;
            verdict.Confidence = entry.Confidence;
            verdict.Version = version;
        }
    }
    if (verdict.Result == Accuracy::NotAccurate && verdict.Total == 0) {
        verdict.Result = Accuracy::NotInDatabase;
    }
    return verdict;
}

Accuracy Combined(const TrackAccuracy& One, const TrackAccuracy& Other) {
    for (const Accuracy result :
         {Accuracy::Accurate, Accuracy::NotAccurate, Accuracy::NotInDatabase}) {
        if (One.Result == result || Other.Result == result) {
            return result;
        }
    }
    return Accuracy::NotChecked;
}

std::string DescribeAccuracy(const TrackAccuracy& Verdict) {
    switch (Verdict.Result) {
    case Accuracy::Accurate:
        return "accurately ripped (confidence " + std::to_string(Verdict.Confidence) + " of " +
               std::to_string(Verdict.Total) +
               (Verdict.Version != 0 ? ", v" + std::to_string(Verdict.Version) : "") + ")";
    case Accuracy::NotAccurate:
        return "not accurately ripped: none of the " + std::to_string(Verdict.Total) +
               " submissions in the database matches";
    case Accuracy::NotInDatabase:
        return Verdict.State == DatabaseAnswer::Answered
                   ? "not verified: the database holds no submission of this track"
                   : "not verified: the disc is not in the database";
    case Accuracy::NotChecked:
        break;
    }
    return Verdict.State == DatabaseAnswer::Failed ? "not verified: the database could not be asked"
                                                   : "not verified: offline";
}

} // namespace kestrune::rip
