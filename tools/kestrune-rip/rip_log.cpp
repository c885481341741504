#include "tools/kestrune-rip/rip_log.h"

#include "tools/kestrune-rip/disc_ids.h"
#include "tools/kestrune-rip/file_names.h"
#include "tools/kestrune-rip/progress_display.h"
#include "tools/kestrune-rip/sector_ranges.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <filesystem>

namespace kestrune::rip {

namespace {

std::string Utc(std::chrono::system_clock::time_point When) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(When);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    std::array<char, 32> text{};
    std::strftime(text.data(), text.size(), "%Y-%m-%d %H:%M:%S UTC", &parts);
    return text.data();
}

std::string EncoderLine(const RipOptions& Options) {
    constexpr std::array<const char*, 4> modes{"stereo", "joint stereo", "dual channel", "mono"};
    const std::string mode = modes.at(static_cast<std::size_t>(Options.Mode));
    if (Options.Vbr) {
        return "Encoder: variable bit rate, quality " + std::to_string(Digit(Options.VbrQuality)) +
               ", " + std::to_string(Options.VbrMin) + " to " + std::to_string(Options.VbrMax) +
               " kbit/s, " + mode + "\n";
    }
    return "Encoder: " + std::to_string(Kbps(Options.BitRate)) +
           " kbit/s constant bit rate, quality " + std::to_string(Digit(Options.Quality)) + ", " +
           mode + "\n";
}

std::string SettingsLines(const RipOptions& Options) {
    std::string text = EncoderLine(Options);
    text += Options.KeepEmphasis ? "Pre-emphasis: kept as the disc holds it\n"
                                 : "Pre-emphasis: undone, as a CD player does\n";
    text += Options.OffsetSamples == 0
                ? std::string("Read offset: 0 samples, not corrected\n")
                : "Read offset: " + std::string(Options.OffsetSamples > 0 ? "+" : "") +
                      std::to_string(Options.OffsetSamples) + " samples, corrected" +
                      (Options.Overread ? ", lead-in and lead-out read" : "") +
                      (Options.OffsetRemembered.empty()
                           ? std::string()
                           : " (remembered for " + Printable(Options.OffsetRemembered) + ")") +
                      "\n";
    if (Options.Offline) {
        text += "Lookups: none (offline)\n";
    } else {
        text += "MusicBrainz: " + Options.MusicBrainzUrl + "\n";
        text += "AccurateRip: " + Options.AccurateRipUrl + "\n";
        text += "CTDB: " + Options.CtdbUrl + "\n";
    }
    return text;
}

std::string DiscLines(const LoggedRun& Run) {
    std::string text = "Album: " + (Run.Album.empty() ? std::string("unknown") : Run.Album) + "\n";
    try {
        text += FormatDiscIds(ComputeDiscIds(Run.Table));
    } catch (const std::runtime_error& e) {
        text += std::string("Disc ids: none (") + e.what() + ")\n";
    }
    text += "AccurateRip answer: " + Run.DatabaseSaid + "\n";
    text += "CTDB answer: " + Run.CtdbSaid + "\n";
    text += "\nTable of contents\n" + FormatDiscTable(Run.Table) + "\n";
    return text;
}

std::string OutcomeText(const RipResult& Result) {
    switch (Result.Outcome) {
    case RipOutcome::Written:
        return "written";
    case RipOutcome::Stopped:
        return "stopped, the file holds what was ripped";
    case RipOutcome::NotStarted:
        return "not ripped, stopped before it began";
    case RipOutcome::Failed:
        break;
    }
    return "failed: " + Result.Error;
}

std::string TrackLines(const LoggedTrack& Logged) {
    const DiscTrack& track = Logged.Planned.Track;
    const std::string name = TrackLabel(track.Number);
    std::string text = name + " range: sectors " + std::to_string(track.Start) + " to " +
                       std::to_string(track.Start + track.Sectors - 1) + "\n";
    text += name + " file: " + Logged.Planned.Output + "\n";
    if (Logged.Result.Outcome == RipOutcome::Written) {
        const TrackChecksums& sums = Logged.Result.Checksums;
        text += name + " CRC32 copy: " + FormatChecksum(sums.Crc32) + ", without silence " +
                FormatChecksum(sums.Crc32WithoutZeros) + "\n";
        if (Logged.Test) {
            text += name + " CRC32 test: " + DescribeTest(*Logged.Test, sums.Crc32) + "\n";
        }
        text += name + " AccurateRip v1 " + FormatChecksum(sums.AccurateRip1) + ", v2 " +
                FormatChecksum(sums.AccurateRip2) + ": " + DescribeAccuracy(Logged.Verdict) + "\n";
        text += name + " CTDB CRC32 " + FormatChecksum(sums.Ctdb) + ": " +
                DescribeAccuracy(Logged.Ctdb) + "\n";
        const std::vector<std::int32_t>& unreadable = Logged.Result.Unreadable;
        text +=
            name + " damaged sectors: " +
            (unreadable.empty() ? std::string("none")
                                : FormatSectorRanges(unreadable) + " (" +
                                      std::to_string(unreadable.size()) + " written as silence)") +
            "\n";
    }
    text += name + " result: " + OutcomeText(Logged.Result) + "\n";
    return text;
}

std::string Summary(const LoggedRun& Run) {
    int written = 0;
    int accurate = 0;
    int notAccurate = 0;
    int damaged = 0;
    for (const LoggedTrack& logged : Run.Tracks) {
        if (logged.Result.Outcome != RipOutcome::Written) {
            continue;
        }
        ++written;
        damaged += logged.Result.Unreadable.empty() ? 0 : 1;
        const Accuracy both = Combined(logged.Verdict, logged.Ctdb);
        accurate += both == Accuracy::Accurate ? 1 : 0;
        notAccurate += both == Accuracy::NotAccurate ? 1 : 0;
    }
    const auto count = static_cast<int>(Run.Tracks.size());
    return "Summary: " + std::to_string(written) + " of " + std::to_string(count) +
           " tracks written; " + std::to_string(accurate) + " accurately ripped, " +
           std::to_string(notAccurate) + " not accurately ripped, " +
           std::to_string(written - accurate - notAccurate) + " not verified; " +
           std::to_string(damaged) + " damaged\n";
}

} // namespace

namespace {

// Answered: how many it gave (Count, "2 entries").
std::string DescribeAnswer(DatabaseAnswer State, const std::string& Count,
                           const std::string& Warning) {
    switch (State) {
    case DatabaseAnswer::Answered:
        return Count;
    case DatabaseAnswer::NotInDatabase:
        return "the disc is not in the database";
    case DatabaseAnswer::NotAsked:
        return "not asked";
    case DatabaseAnswer::Failed:
        break;
    }
    return "none: " + Warning;
}

} // namespace

std::string DescribeDatabaseAnswer(const AccurateRipAnswer& Answer) {
    const std::size_t sets = Answer.Pressings.size();
    return DescribeAnswer(Answer.State,
                          std::to_string(sets) + (sets == 1 ? " set" : " sets") + " of checksums",
                          Answer.Warning);
}

std::string DescribeCtdbAnswer(const CtdbAnswer& Answer) {
    const std::size_t entries = Answer.Entries.size();
    return DescribeAnswer(Answer.State,
                          std::to_string(entries) + (entries == 1 ? " entry" : " entries"),
                          Answer.Warning);
}

std::string FormatRipLog(const LoggedRun& Run, const RipOptions& Options,
                         std::chrono::system_clock::time_point When) {
    std::string text = "kestrune-rip " + Run.Version + " log, " + Utc(When) + "\n";
    text += "Read from: " + Run.Source + "\n";
    text += SettingsLines(Options);
    text += DiscLines(Run);
    for (const LoggedTrack& logged : Run.Tracks) {
        text += TrackLines(logged);
    }
    if (Run.CtdbDisc) {
        text += "Disc CTDB CRC32 " + FormatChecksum(Run.CtdbDisc->Crc) + ": " +
                DescribeAccuracy(Run.CtdbDisc->Verdict) + "\n";
    }
    return text + "\n" + Summary(Run);
}

std::string LogFileFor(const RipOptions& Options, const std::vector<PlannedTrack>& Plan,
                       const std::string& FreeDbId) {
    if (!Options.LogFile.empty()) {
        return Options.LogFile;
    }
    if (Options.NoLog || Options.Output == "-" || Plan.empty()) {
        return {};
    }
    // A pipe or a device (-o /dev/null) is beside no folder of the user's.
    std::error_code error;
    const auto type = std::filesystem::status(Plan.front().Output, error).type();
    if (type != std::filesystem::file_type::not_found &&
        type != std::filesystem::file_type::regular) {
        return {};
    }
    const TrackTags& tags = Plan.front().Tags;
    const NameRules rules = Options.WindowsNames ? NameRules::Windows : NameRules::Posix;
    const std::string name = !tags.Album.empty() ? ExpandName("%b.log", tags, rules)
                             : !FreeDbId.empty() ? FreeDbId + ".log"
                                                 : "kestrune-rip.log";
    return (std::filesystem::path(Plan.front().Output).parent_path() / name).string();
}

} // namespace kestrune::rip
