// kestrune-rip: copies tracks of an audio CD or a disc image into MP3 files,
// on the same components as the desktop program.

#include "cdin/discread_binding.h"
#include "platform/environment.h"
#include "platform/interrupt.h"
#include "platform/standard_descriptors.h"
#include "tools/kestrune-rip/album_lookup.h"
#include "tools/kestrune-rip/album_tags.h"
#include "tools/kestrune-rip/ctdb_accuracy.h"
#include "tools/kestrune-rip/disc_ids.h"
#include "tools/kestrune-rip/disc_rip.h"
#include "tools/kestrune-rip/disc_table.h"
#include "tools/kestrune-rip/drive_offsets.h"
#include "tools/kestrune-rip/genre_check.h"
#include "tools/kestrune-rip/id3v2_writer.h"
#include "tools/kestrune-rip/offset_finder.h"
#include "tools/kestrune-rip/planned_run.h"
#include "tools/kestrune-rip/rip_options.h"
#include "tools/kestrune-rip/rip_plan.h"
#include "tools/kestrune-rip/sector_ranges.h"
#include "tools/kestrune-rip/track_accuracy.h"
#include "tools/kestrune-rip/track_rip.h"
#include "tools/kestrune-rip/track_test.h"

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <exception>
#include <iterator>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

namespace kestrune::rip {
namespace {

constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;
// Every track written, but not every one proven exact.
constexpr int ExitUnverified = 3;

// A stopped run ends as the shell expects of a program the signal ended.
int ExitInterrupted() {
    const int signal = platform::InterruptSignal();
    return 128 + (signal != 0 ? signal : SIGINT);
}

// The audio tracks of the disc, in order.
std::vector<DiscTrack> AudioTracks(TCDIn& Cd) {
    switch (Cd.DiscContent()) {
    case TDiscContent::dcNoDisc:
        throw std::runtime_error("there is no disc in the drive");
    case TDiscContent::dcUnknown: {
        const std::string why = RipLibraryErrorText();
        throw std::runtime_error(why.empty() ? "the disc's table of contents cannot be read" : why);
    }
    default:
        break;
    }
    std::vector<DiscTrack> tracks;
    for (const DiscTrack& track : ReadDiscTable(Cd)) {
        if (IsAudioFlag(track.Flag)) {
            tracks.push_back(track);
        }
    }
    if (tracks.empty()) {
        throw std::runtime_error("the disc holds no audio tracks");
    }
    return tracks;
}

void SayStopped(std::int32_t Track, const std::string& Output) {
    std::fprintf(stderr, "Track %02d stopped; %s holds what was ripped\n", static_cast<int>(Track),
                 Output.c_str());
}

// The status of a run from its tracks': a stop above a failure, a failure
// above a track not proven exact.
int Worse(int Status, int Other) {
    const auto rank = [](int Code) {
        return Code == ExitUnverified ? 1 : Code == ExitFailed ? 3 : Code;
    };
    return rank(Other) > rank(Status) ? Other : Status;
}

void SayWritten(const RipResult& Result, std::int32_t Track, const std::string& Output,
                const LoggedTrack& Logged) {
    const TrackChecksums& sums = Result.Checksums;
    std::fprintf(stderr,
                 "Track %02d written to %s\n"
                 "  CRC32 %08X, without silence %08X; AccurateRip v1 %08X, v2 %08X; CTDB %08X\n"
                 "  AccurateRip: %s\n"
                 "  CTDB: %s\n",
                 static_cast<int>(Track), Output.c_str(), sums.Crc32, sums.Crc32WithoutZeros,
                 sums.AccurateRip1, sums.AccurateRip2, sums.Ctdb,
                 DescribeAccuracy(Logged.Verdict).c_str(), DescribeAccuracy(Logged.Ctdb).c_str());
}

// Says how a track went on standard error (standard output may carry the MP3)
// and keeps it for the log; a written track is checked against the database's
// answer.
int Report(const RipResult& Result, const PlannedTrack& Planned, PlannedRun& Run,
           const RipOptions& Options) {
    const std::int32_t track = Planned.Track.Number;
    const std::string& output = Planned.Output;
    LoggedTrack& logged = Run.Ended.emplace_back(LoggedTrack{Planned, Result, {}, {}, {}});
    switch (Result.Outcome) {
    case RipOutcome::Written: {
        logged.Verdict =
            CheckAccuracy(Run.Database->Answer(stderr), Planned.AudioNumber, Result.Checksums);
        logged.Ctdb =
            CheckCtdbTrack(Run.Ctdb->Answer(stderr), Planned.AudioNumber, Result.Checksums);
        if (!Options.Quiet) {
            SayWritten(Result, track, output, logged);
        }
        if (!Result.Unreadable.empty()) {
            std::fprintf(stderr,
                         "kestrune-rip: track %02d is damaged: the drive could not read %zu %s "
                         "(%s), which %s silence in %s\n",
                         static_cast<int>(track), Result.Unreadable.size(),
                         Result.Unreadable.size() == 1 ? "sector" : "sectors",
                         FormatSectorRanges(Result.Unreadable, 10).c_str(),
                         Result.Unreadable.size() == 1 ? "is" : "are", output.c_str());
            return ExitUnverified;
        }
        return Options.RequireAccurate &&
                       Combined(logged.Verdict, logged.Ctdb) != Accuracy::Accurate
                   ? ExitUnverified
                   : 0;
    }
    case RipOutcome::Stopped:
        if (!Options.Quiet) {
            SayStopped(track, output);
        }
        return ExitInterrupted();
    case RipOutcome::NotStarted:
        std::fprintf(stderr, "Track %02d not ripped: stopped before it began\n",
                     static_cast<int>(track));
        return ExitInterrupted();
    case RipOutcome::Failed:
        break;
    }
    std::fprintf(stderr, "kestrune-rip: track %02d: %s\n", static_cast<int>(track),
                 Result.Error.c_str());
    // A start that Ctrl-C cut short (waiting for a pipe's reader, say) is a stop.
    return platform::InterruptRequested() ? ExitInterrupted() : ExitFailed;
}

// With --test-and-copy, each track written is read again until a read's
// CRC32 equals the copy's; the tracks none matches make the status 3.
int TestWritten(TCDIn& Cd, PlannedRun& Run, const RipOptions& Options) {
    if (!Options.TestAndCopy) {
        return 0;
    }
    int status = 0;
    for (LoggedTrack& logged : Run.Ended) {
        if (logged.Result.Outcome != RipOutcome::Written || platform::InterruptRequested()) {
            continue;
        }
        const std::uint32_t copy = logged.Result.Checksums.Crc32;
        logged.Test = TestTrack(Cd, logged.Planned.Track.Position, copy);
        const int track = logged.Planned.Track.Number;
        const std::string said = DescribeTest(*logged.Test, copy);
        if (logged.Test->Matched) {
            if (!Options.Quiet) {
                std::fprintf(stderr, "Track %02d test CRC32 %s\n", track, said.c_str());
            }
        } else if (!platform::InterruptRequested()) {
            std::fprintf(stderr, "kestrune-rip: track %02d may not be exact: test CRC32 %s\n",
                         track, said.c_str());
            status = ExitUnverified;
        }
    }
    return platform::InterruptRequested() ? ExitInterrupted() : status;
}

// The CUETools database's verdict on the whole disc, when every audio track was written.
void CheckDisc(PlannedRun& Run, const RipOptions& Options) {
    std::map<std::int32_t, TrackChecksums> written;
    for (const LoggedTrack& logged : Run.Ended) {
        if (logged.Result.Outcome == RipOutcome::Written) {
            written.emplace(logged.Planned.AudioNumber, logged.Result.Checksums);
        }
    }
    Run.CtdbDisc = CheckCtdbDisc(Run.Ctdb->Answer(stderr), written);
    if (Run.CtdbDisc && !Options.Quiet) {
        std::fprintf(stderr, "Disc CTDB CRC32 %08X: %s\n", Run.CtdbDisc->Crc,
                     DescribeAccuracy(Run.CtdbDisc->Verdict).c_str());
    }
}

// The album's ReplayGain, once every file of it is written, added to each.
int TagAlbum(const std::vector<std::pair<std::string, const TLoudnessMeter*>>& Written) {
    std::vector<const TLoudnessMeter*> meters;
    meters.reserve(Written.size());
    for (const auto& [file, meter] : Written) {
        meters.push_back(meter);
    }
    const std::optional<ReplayGain> gain = TLoudnessMeter::AlbumGain(meters);
    if (!gain) {
        return 0;
    }
    int status = 0;
    for (const auto& [file, meter] : Written) {
        try {
            AddAlbumGain(file, *gain);
        } catch (const std::runtime_error& e) {
            std::fprintf(stderr, "kestrune-rip: %s\n", e.what());
            status = ExitFailed;
        }
    }
    return status;
}

void ListDisc(TCDIn& Cd, metadata::HttpClient& Client, const RipOptions& Options) {
    const std::vector<DiscTrack> table = ReadDiscTable(Cd);
    std::fputs(FormatDiscTable(table).c_str(), stdout);
    try {
        std::fputs(FormatDiscIds(ComputeDiscIds(table)).c_str(), stdout);
    } catch (const std::runtime_error& e) {
        std::printf("Disc ids: none (%s)\n", e.what());
        return;
    }
    std::fputs(ListReleases(Client, table, Options).c_str(), stdout);
}

// A drive that names its model reads with the offset last given for that
// model, and the one given now is remembered for it. Neither fails a rip:
// the settings are a convenience, and the log says which offset was used.
void SettleOffset(TCDIn& Cd, RipOptions& Options) {
    const std::string model = Cd.DriveModel(Options.Drive.value_or(0));
    if (model.empty()) {
        return;
    }
    try {
        if (Options.OffsetGiven) {
            RememberOffset(model, Options.OffsetSamples);
        } else if (const std::optional<std::int32_t> remembered = RememberedOffset(model)) {
            Options.OffsetSamples = *remembered;
            Options.OffsetRemembered = model;
            Cd.SetReadOffset(*remembered);
            if (!Options.Quiet) {
                std::fprintf(stderr, "Read offset %+d samples, remembered for %s\n",
                             static_cast<int>(*remembered), Printable(model).c_str());
            }
        }
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "kestrune-rip: warning: %s\n", e.what());
    }
}

// The offsets a track matched, as the user reads them: "+6 (confidence 12)".
std::string DescribeMatches(const TrackOffsets& Found) {
    constexpr std::size_t shown = 5;
    std::string text;
    for (std::size_t i = 0; i < Found.Matches.size() && i < shown; ++i) {
        text += (i == 0 ? "" : ", ") + std::string(Found.Matches[i].Offset > 0 ? "+" : "") +
                std::to_string(Found.Matches[i].Offset) + " (confidence " +
                std::to_string(Found.Matches[i].Confidence) + ")";
    }
    return Found.Matches.size() > shown ? text + " and more" : text;
}

// --find-offset: the offset every track tried matches AccurateRip at, printed
// on standard output and remembered for the drive's model.
int FindDriveOffset(TCDIn& Cd, metadata::HttpClient& Client, const RipOptions& Options) {
    const std::vector<DiscTrack> table = ReadDiscTable(Cd);
    const std::unique_ptr<AccurateRipLookup> lookup = AskAccurateRip(Client, table, Options);
    const AccurateRipAnswer& answer = lookup->Answer(stderr);
    if (answer.State != DatabaseAnswer::Answered) {
        std::fprintf(stderr, "kestrune-rip: %s\n",
                     answer.State == DatabaseAnswer::NotInDatabase
                         ? "the disc is not in AccurateRip's database; --find-offset needs a "
                           "disc others have ripped"
                     : answer.State == DatabaseAnswer::NotAsked
                         ? "--find-offset needs AccurateRip, and this run is offline "
                           "(KESTRUNE_OFFLINE=1) or the disc gives no ids"
                         : "AccurateRip could not be asked; the offset cannot be found");
        return ExitFailed;
    }
    std::vector<TrackOffsets> tried;
    std::string names;
    for (const DiscTrack& track : OffsetTracks(table)) {
        const TrackOffsets& found = tried.emplace_back(MatchOffsets(Cd, table, track, answer));
        if (platform::InterruptRequested()) {
            return ExitInterrupted();
        }
        if (!found.Error.empty()) {
            std::fprintf(stderr, "kestrune-rip: track %02d: %s\n", track.Number,
                         found.Error.c_str());
            return ExitFailed;
        }
        if (!Options.Quiet) {
            std::fprintf(stderr, "Track %02d: %s\n", track.Number,
                         found.Matches.empty()
                             ? "no offset matches AccurateRip"
                             : ("matches AccurateRip at " + DescribeMatches(found)).c_str());
        }
        std::array<char, 16> name{};
        std::snprintf(name.data(), name.size(), "%02d", static_cast<int>(track.Number));
        names += (names.empty() ? "" : " and ") + std::string(name.data());
    }
    const std::optional<OffsetMatch> common = CommonOffset(tried);
    if (!common) {
        std::fprintf(stderr,
                     "kestrune-rip: no read offset from %d to %+d samples makes track%s %s match "
                     "AccurateRip's v1 checksums\n",
                     -OffsetSearchRange, OffsetSearchRange, tried.size() == 1 ? "" : "s",
                     names.c_str());
        return ExitFailed;
    }
    std::printf("Read offset: %+d samples\n", static_cast<int>(common->Offset));
    const std::string model = Cd.DriveModel(Options.Drive.value_or(0));
    if (!model.empty()) {
        try {
            RememberOffset(model, common->Offset);
            if (!Options.Quiet) {
                std::fprintf(stderr, "Remembered for %s\n", Printable(model).c_str());
            }
        } catch (const std::runtime_error& e) {
            std::fprintf(stderr, "kestrune-rip: warning: %s\n", e.what());
        }
    }
    return 0;
}

// What the run read, for its log.
std::string SourceOf(TCDIn& Cd, const RipOptions& Options) {
    if (!Options.Disc.empty()) {
        return "disc image " + Options.Disc;
    }
    const std::int32_t drive = Options.Drive.value_or(0);
    std::string about = Cd.DriveName(drive);
    if (const std::string model = Cd.DriveModel(drive); !model.empty()) {
        about += (about.empty() ? "" : ", ") + model;
    }
    return "drive " + std::to_string(drive) + (about.empty() ? "" : " (" + about + ")");
}

// Every track in one continuous read, encoded on every core at once: a drive
// must not seek back and forth between tracks, and the album's loudness needs
// every track's measurement in one place.
int RipInOneRead(TCDIn& Cd, const RipOptions& Options, PlannedRun& Run) {
    int status = 0;
    DiscRip rip(Cd, Options, Run.Tracks);
    rip.Run([&](const DiscTrack& Track, const std::string& /*Output*/, const RipResult& Result) {
        const auto planned =
            std::find_if(Run.Tracks.begin(), Run.Tracks.end(), [&](const PlannedTrack& Each) {
                return Each.Track.Number == Track.Number;
            });
        status = Worse(status, Report(Result, *planned, Run, Options));
    });
    status = Worse(status, TestWritten(Cd, Run, Options));
    CheckDisc(Run, Options);
    if (!platform::InterruptRequested()) {
        status = Worse(status, TagAlbum(rip.Written()));
        std::vector<std::string> written;
        for (const auto& [file, meter] : rip.Written()) {
            written.push_back(file);
        }
        status = Worse(status, WriteCue(Options, Run, written));
        status = Worse(status, WriteLog(Options, Run, KESTRUNE_VERSION, SourceOf(Cd, Options)));
    }
    // Tracks left out or cut short are never a success.
    return platform::InterruptRequested() ? ExitInterrupted() : status;
}

int RipOne(TrackRipper& Ripper, metadata::HttpClient& Client, const RipOptions& Options) {
    // The disc's own number; a table that cannot be read leaves the source
    // to say why when the rip starts.
    DiscTrack track;
    track.Position = Options.Track.value_or(1);
    track.Number = track.Position;
    std::vector<DiscTrack> table;
    try {
        table = ReadDiscTable(Ripper.Cd());
    } catch (const std::runtime_error&) {
        table.clear();
    }
    if (!table.empty()) {
        track = Options.Track ? TrackNumbered(table, *Options.Track) : table.front();
    }
    PlannedRun run = Plan(Ripper.Cd(), Client, table, {track}, Options);
    const PlannedTrack& planned = run.Tracks.front();
    ProgressDisplay display(stderr, TrackLabel(track.Number), !Options.Quiet);
    const RipDestination destination =
        Options.Output == "-" ? RipDestination::StandardOutput : RipDestination::NamedFile;
    const int status = Report(Ripper.Rip(track.Position, planned.Output, planned.Tags, display,
                                         destination, planned.Place),
                              planned, run, Options);
    const int tested = Worse(status, TestWritten(Ripper.Cd(), run, Options));
    CheckDisc(run, Options);
    if (platform::InterruptRequested()) {
        return tested;
    }
    const int logged =
        Worse(tested, WriteLog(Options, run, KESTRUNE_VERSION, SourceOf(Ripper.Cd(), Options)));
    return status != 0 && status != ExitUnverified
               ? logged
               : Worse(logged, WriteCue(Options, run, {planned.Output}));
}

// The audio tracks --track names, in the order of the disc (a data track among
// them is skipped, as --all skips it); all with --all.
std::vector<DiscTrack> ChosenTracks(TCDIn& Cd, const std::vector<DiscTrack>& Audio,
                                    const RipOptions& Options) {
    if (Options.AllTracks) {
        return Audio;
    }
    const std::vector<DiscTrack> table = ReadDiscTable(Cd);
    std::vector<DiscTrack> chosen;
    for (const std::int32_t number : Options.TrackList) {
        const DiscTrack& track = TrackNumbered(table, number);
        if (IsAudioFlag(track.Flag)) {
            chosen.push_back(track);
        }
    }
    if (chosen.empty()) {
        throw std::runtime_error("the tracks asked for are data tracks, none of them audio");
    }
    return chosen;
}

int RipSeveral(TrackRipper& Ripper, metadata::HttpClient& Client, const RipOptions& Options) {
    const std::vector<DiscTrack> audio = AudioTracks(Ripper.Cd());
    // The disc's ids are those of its whole table, an Enhanced CD's data track included.
    PlannedRun run = Plan(Ripper.Cd(), Client, ReadDiscTable(Ripper.Cd()),
                          ChosenTracks(Ripper.Cd(), audio, Options), Options);
    return RipInOneRead(Ripper.Cd(), Options, run);
}

int Run(RipOptions Options) {
    if (!Options.Disc.empty()) {
        platform::SetEnvironment("DISCREAD_DISC", Options.Disc);
    }
    platform::CatchInterrupts();
    platform::IgnoreBrokenPipes();
    TrackRipper ripper(Options);
    if (Options.What != Action::FindOffset) {
        SettleOffset(ripper.Cd(), Options);
    }
    CheckGenre(Options.Genre);
    metadata::HttpClient client(UserAgent(KESTRUNE_VERSION));
    if (Options.What == Action::List) {
        ListDisc(ripper.Cd(), client, Options);
        return 0;
    }
    if (Options.What == Action::FindOffset) {
        return FindDriveOffset(ripper.Cd(), client, Options);
    }
    return SeveralTracks(Options) ? RipSeveral(ripper, client, Options)
                                  : RipOne(ripper, client, Options);
}

} // namespace
} // namespace kestrune::rip

int main(int argc, char** argv) {
    kestrune::platform::OpenMissingStandardDescriptors();
    using namespace kestrune::rip;
    RipOptions options;
    try {
        options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "kestrune-rip: %s\n", e.what());
        return ExitUsage;
    }
    if (options.What == Action::Help) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (options.What == Action::Version) {
        std::printf("kestrune-rip %s\n", KESTRUNE_VERSION);
        return 0;
    }
    TakeLookupSettings(options);
    int status = ExitFailed;
    try {
        status = Run(options);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "kestrune-rip: %s\n", e.what());
        status = ExitUsage;
    } catch (const std::exception& e) {
        // A stop asked for while the settings were locked or the disc was
        // read ends the wait, and the program ends as the signal asks.
        if (kestrune::platform::InterruptRequested()) {
            status = ExitInterrupted();
        } else {
            std::fprintf(stderr, "kestrune-rip: %s\n", e.what());
        }
    }
    kestrune::UnloadRipLibrary();
    return status;
}
