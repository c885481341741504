#include "tools/kestrune-rip/rip_plan.h"

#include "cdin/disc_types.h"
#include "tools/kestrune-rip/album_tags.h"
#include "tools/kestrune-rip/disc_ids.h"
#include "tools/kestrune-rip/file_names.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>

namespace kestrune::rip {

namespace {

// Two names are one file when they differ only in "./" or "a/../a".
std::string Comparable(const std::string& Name) {
    return std::filesystem::path(Name).lexically_normal().string();
}

} // namespace

TrackPlace PlaceOf(const std::vector<DiscTrack>& Table, const DiscTrack& Track) {
    const auto audio = [](const DiscTrack& Each) { return IsAudioFlag(Each.Flag); };
    const auto first = std::find_if(Table.begin(), Table.end(), audio);
    const auto last = std::find_if(Table.rbegin(), Table.rend(), audio);
    TrackPlace place;
    place.First = first != Table.end() && first->Number == Track.Number;
    place.Last = last != Table.rend() && last->Number == Track.Number;
    if (place.Last) {
        const std::int32_t leadOut = AudioLeadOut(Table);
        place.CtdbTail =
            CtdbTailSamples(leadOut - first->Start, Track.Start + Track.Sectors - leadOut);
    }
    return place;
}

std::int32_t AudioNumberOf(const std::vector<DiscTrack>& Table, const DiscTrack& Track) {
    const auto audio = [](const DiscTrack& Each) { return IsAudioFlag(Each.Flag); };
    const auto self = std::find_if(Table.begin(), Table.end(), [&](const DiscTrack& Each) {
        return Each.Number == Track.Number;
    });
    return static_cast<std::int32_t>(std::count_if(Table.begin(), self, audio)) +
           (self != Table.end() && audio(*self) ? 1 : 0);
}

std::vector<PlannedTrack> PlanRip(const std::vector<DiscTrack>& Table,
                                  const std::vector<DiscTrack>& Chosen,
                                  const metadata::AlbumMetadata& Album, const RipOptions& Options) {
    const NameRules rules = Options.WindowsNames ? NameRules::Windows : NameRules::Posix;
    std::vector<PlannedTrack> plan;
    std::map<std::string, std::int32_t> taken;
    for (const DiscTrack& track : Chosen) {
        PlannedTrack planned{track,
                             {},
                             TagsFor(Album, Table, track, Options),
                             PlaceOf(Table, track),
                             AudioNumberOf(Table, track)};
        planned.Output = Options.Output == "-" ? std::string(StandardOutputName)
                                               : ExpandName(Options.Output, planned.Tags, rules);
        const auto [at, added] = taken.emplace(Comparable(planned.Output), track.Number);
        if (!added) {
            std::array<char, 64> numbers{};
            std::snprintf(numbers.data(), numbers.size(), "tracks %02d and %02d",
                          static_cast<int>(at->second), static_cast<int>(track.Number));
            throw UsageError(numbers.data() + std::string(" would both be written to ") +
                             planned.Output + "; put %n in the -o pattern");
        }
        plan.push_back(std::move(planned));
    }
    return plan;
}

void MakeFolders(const std::vector<PlannedTrack>& Plan) {
    for (const PlannedTrack& planned : Plan) {
        const std::filesystem::path folder = std::filesystem::path(planned.Output).parent_path();
        if (folder.empty() || planned.Output == StandardOutputName) {
            continue;
        }
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) {
            throw std::runtime_error("cannot make the folder " + folder.string() + ": " +
                                     error.message());
        }
    }
}

} // namespace kestrune::rip
