#include "tools/kestrune-rip/planned_run.h"

#include "tools/kestrune-rip/album_lookup.h"
#include "tools/kestrune-rip/disc_ids.h"
#include "tools/kestrune-rip/text_file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <stdexcept>

namespace kestrune::rip {

namespace {

std::string FreeDbIdOf(const std::vector<DiscTrack>& Table) {
    try {
        return ComputeDiscIds(Table).FreeDb;
    } catch (const std::runtime_error&) {
        return {};
    }
}

bool SameFile(const std::string& One, const std::string& Other) {
    return std::filesystem::path(One).lexically_normal() ==
           std::filesystem::path(Other).lexically_normal();
}

// A sheet or log must replace neither a file of the image being read nor a
// track's file.
void CheckOwnFile(TCDIn& Cd, const std::string& Option, const std::string& File,
                  const std::vector<PlannedTrack>& Tracks) {
    if (File.empty()) {
        return;
    }
    if (Cd.ReadsFile(File)) {
        throw std::runtime_error(Option + " " + File + " is a file of the disc being read");
    }
    for (const PlannedTrack& planned : Tracks) {
        if (SameFile(File, planned.Output)) {
            throw std::runtime_error(Option + " " + File + " is the file of track " +
                                     std::to_string(planned.Track.Number));
        }
    }
}

std::string AlbumText(const metadata::AlbumMetadata& Album) {
    if (Album.Title.empty()) {
        return {};
    }
    return Printable(Album.Title) + (Album.Artist.empty() ? "" : " by " + Printable(Album.Artist));
}

int Failed(const std::exception& Error) {
    std::fprintf(stderr, "kestrune-rip: %s\n", Error.what());
    return 1;
}

} // namespace

PlannedRun Plan(TCDIn& Cd, metadata::HttpClient& Client, const std::vector<DiscTrack>& Table,
                const std::vector<DiscTrack>& Chosen, const RipOptions& Options) {
    // Refused before anybody is asked anything.
    CheckOwnFile(Cd, "--cue", Options.CueSheet, {});
    if (!Options.LogFile.empty()) {
        CheckOwnFile(Cd, "--log", Options.LogFile, {});
    }
    // Asked first: the answer comes while MusicBrainz is asked and the tracks are ripped.
    auto database = AskAccurateRip(Client, Table, Options);
    auto ctdb = AskCtdb(Client, Table, Options);
    const FoundAlbum found = FindAlbum(Client, Table, Options, stderr);
    const std::string freeDbId = FreeDbIdOf(Table);
    PlannedRun run{PlanRip(Table, Chosen, found.Album, Options),
                   {found.Album.Catalogue, freeDbId, Options.KeepEmphasis},
                   std::move(database),
                   std::move(ctdb),
                   Table,
                   AlbumText(found.Album),
                   {},
                   {},
                   {}};
    for (PlannedTrack& planned : run.Tracks) {
        planned.Tags.FrontCover = found.FrontCover;
    }
    CheckOwnFile(Cd, "--cue", Options.CueSheet, run.Tracks);
    run.LogFile = LogFileFor(Options, run.Tracks, freeDbId);
    CheckOwnFile(Cd, "--log", run.LogFile, run.Tracks);
    MakeFolders(run.Tracks);
    return run;
}

int WriteCue(const RipOptions& Options, const PlannedRun& Run,
             const std::vector<std::string>& Written) {
    if (Options.CueSheet.empty() || Written.empty()) {
        return 0;
    }
    std::vector<PlannedTrack> tracks;
    std::copy_if(Run.Tracks.begin(), Run.Tracks.end(), std::back_inserter(tracks),
                 [&](const PlannedTrack& planned) {
                     return std::find(Written.begin(), Written.end(), planned.Output) !=
                            Written.end();
                 });
    try {
        WriteTextFile(Options.CueSheet, FormatCueSheet(Options.CueSheet, tracks, Run.Disc));
    } catch (const std::exception& e) {
        return Failed(e);
    }
    return 0;
}

int WriteLog(const RipOptions& Options, const PlannedRun& Run, const std::string& Version,
             const std::string& Source) {
    if (Run.LogFile.empty() || Run.Ended.empty()) {
        return 0;
    }
    LoggedRun logged{Version,
                     Source,
                     Run.Table,
                     Run.Album,
                     DescribeDatabaseAnswer(Run.Database->Answer(stderr)),
                     DescribeCtdbAnswer(Run.Ctdb->Answer(stderr)),
                     Run.Ended,
                     Run.CtdbDisc};
    std::sort(logged.Tracks.begin(), logged.Tracks.end(), [](const auto& One, const auto& Other) {
        return One.Planned.Track.Position < Other.Planned.Track.Position;
    });
    try {
        WriteTextFile(Run.LogFile, FormatRipLog(logged, Options, std::chrono::system_clock::now()));
    } catch (const std::exception& e) {
        if (!Options.LogFile.empty()) {
            return Failed(e);
        }
        // A log nobody asked for fails no rip.
        std::fprintf(stderr, "kestrune-rip: warning: no log: %s\n", e.what());
    }
    return 0;
}

} // namespace kestrune::rip
