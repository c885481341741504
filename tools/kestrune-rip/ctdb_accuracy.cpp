#include "tools/kestrune-rip/ctdb_accuracy.h"

#include "tools/kestrune-rip/disc_ids.h"

#include <zlib.h>

#include <exception>
#include <utility>

namespace kestrune::rip {

namespace {

CtdbAnswer Ask(metadata::HttpClient& Client, const std::string& BaseUrl, const std::string& Toc,
               std::int32_t AudioTracks, const std::stop_token& Stop) {
    CtdbAnswer answer;
    answer.AudioTracks = AudioTracks;
    try {
        answer.Entries = metadata::LookUpCtdb(Client, BaseUrl, Toc, Stop);
        answer.State =
            answer.Entries.empty() ? DatabaseAnswer::NotInDatabase : DatabaseAnswer::Answered;
    } catch (const std::exception& e) {
        answer.State = DatabaseAnswer::Failed;
        answer.Warning = e.what();
    }
    return answer;
}

// A verdict before the entries are looked at: why there is none to give.
TrackAccuracy Unanswered(const CtdbAnswer& Answer) {
    TrackAccuracy verdict;
    verdict.State = Answer.State;
    verdict.Result = Answer.State == DatabaseAnswer::NotInDatabase ? Accuracy::NotInDatabase
                     : Answer.State == DatabaseAnswer::Answered    ? Accuracy::NotAccurate
                                                                   : Accuracy::NotChecked;
    return verdict;
}

// Entries agree in sum: each is a pressing (or a correction of one) that
// rips agreed on, and a track matching several is confirmed by them all.
void Settle(TrackAccuracy& Verdict) {
    if (Verdict.Result != Accuracy::NotAccurate) {
        return;
    }
    Verdict.Result = Verdict.Confidence > 0 ? Accuracy::Accurate
                     : Verdict.Total == 0   ? Accuracy::NotInDatabase
                                            : Accuracy::NotAccurate;
}

} // namespace

std::unique_ptr<CtdbLookup> AskCtdb(metadata::HttpClient& Client,
                                    const std::vector<DiscTrack>& Table,
                                    const RipOptions& Options) {
    std::string toc;
    std::int32_t audio = 0;
    try {
        toc = CtdbToc(Table);
        audio = ComputeDiscIds(Table).AudioTracks;
    } catch (const std::exception&) {
        return std::make_unique<CtdbLookup>(CtdbAnswer{}); // a table that gives no ids
    }
    // Unasked, the disc's CRC32 is still worked out, for the log.
    if (Options.Offline || Options.CtdbUrl.empty()) {
        return std::make_unique<CtdbLookup>(CtdbAnswer{DatabaseAnswer::NotAsked, {}, audio, {}});
    }
    return std::make_unique<CtdbLookup>(
        [&Client, url = Options.CtdbUrl, toc, audio](const std::stop_token& Stop) {
            return Ask(Client, url, toc, audio, Stop);
        },
        "The tracks are not verified by the CUETools database.");
}

TrackAccuracy CheckCtdbTrack(const CtdbAnswer& Answer, std::int32_t AudioNumber,
                             const TrackChecksums& Sums) {
    TrackAccuracy verdict = Unanswered(Answer);
    if (Answer.State != DatabaseAnswer::Answered || AudioNumber < 1) {
        return verdict;
    }
    const auto index = static_cast<std::size_t>(AudioNumber - 1);
    for (const metadata::CtdbEntry& entry : Answer.Entries) {
        // An entry of another table (the lookup is fuzzy) says nothing of this track.
        if (entry.TrackCrcs.size() != static_cast<std::size_t>(Answer.AudioTracks) ||
            index >= entry.TrackCrcs.size()) {
            continue;
        }
        verdict.Total += entry.Confidence;
        verdict.Confidence += entry.TrackCrcs[index] == Sums.Ctdb ? entry.Confidence : 0;
    }
    Settle(verdict);
    return verdict;
}

TrackAccuracy CheckCtdbDisc(const CtdbAnswer& Answer, std::uint32_t Crc) {
    TrackAccuracy verdict = Unanswered(Answer);
    if (Answer.State != DatabaseAnswer::Answered) {
        return verdict;
    }
    for (const metadata::CtdbEntry& entry : Answer.Entries) {
        // Older entries give no tracks' CRC32s; one that gives another count is another table's.
        if (!entry.TrackCrcs.empty() &&
            entry.TrackCrcs.size() != static_cast<std::size_t>(Answer.AudioTracks)) {
            continue;
        }
        verdict.Total += entry.Confidence;
        verdict.Confidence += entry.Crc32 == Crc ? entry.Confidence : 0;
    }
    Settle(verdict);
    return verdict;
}

std::optional<std::uint32_t> JoinCtdbCrcs(const std::map<std::int32_t, TrackChecksums>& Tracks,
                                          std::int32_t AudioTracks) {
    if (AudioTracks < 1 || Tracks.size() != static_cast<std::size_t>(AudioTracks) ||
        Tracks.begin()->first != 1 || Tracks.rbegin()->first != AudioTracks) {
        return std::nullopt;
    }
    uLong crc = 0;
    for (const auto& [number, sums] : Tracks) {
        crc = crc32_combine(crc, sums.Ctdb, static_cast<z_off_t>(sums.CtdbBytes));
    }
    return static_cast<std::uint32_t>(crc);
}

std::optional<DiscAccuracy> CheckCtdbDisc(const CtdbAnswer& Answer,
                                          const std::map<std::int32_t, TrackChecksums>& Tracks) {
    const std::optional<std::uint32_t> crc = JoinCtdbCrcs(Tracks, Answer.AudioTracks);
    if (!crc) {
        return std::nullopt;
    }
    return DiscAccuracy{*crc, CheckCtdbDisc(Answer, *crc)};
}

} // namespace kestrune::rip
