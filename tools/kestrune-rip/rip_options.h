#pragma once

#include "mp3out/mp3_types.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune::rip {

enum class Action { Rip, List, FindOffset, Help, Version };

struct RipOptions {
    Action What = Action::Rip;
    std::optional<std::int32_t> Drive; // --drive N
    std::string Disc;                  // --disc IMAGE
    std::optional<std::int32_t> Track; // --track N, the disc's own number
    // --track 2-5,7: several of the disc's numbers, in the order of the disc.
    std::vector<std::int32_t> TrackList;
    bool AllTracks = false;    // --all
    bool WindowsNames = false; // --windows-names: no character Windows refuses in a name
    std::string Output;        // -o FILE or PATTERN
    TMP3BitRate BitRate = TMP3BitRate::br128;
    TMP3Quality Quality = TMP3Quality::ql5;
    bool Vbr = false;
    TMP3Quality VbrQuality = TMP3Quality::ql5;
    std::int32_t VbrMin = 128;
    std::int32_t VbrMax = 192;
    bool VbrHeader = false;
    bool KeepEmphasis = false; // --keep-emphasis: pre-emphasised tracks as they are
    TMP3Mode Mode = TMP3Mode::STEREO;
    // Tag texts that win over the disc's; with --all, --artist is the album's.
    std::string Title, Artist, Album, AlbumArtist, Year, Comment, Genre;
    bool Quiet = false; // --quiet: no progress and no line per written track
    // The online lookups. The addresses' defaults are the public services,
    // or KESTRUNE_MUSICBRAINZ_URL and KESTRUNE_COVERART_URL when set;
    // KESTRUNE_OFFLINE=1 is --offline.
    bool Offline = false;       // --offline: the disc's CD-Text and the options alone
    std::string MusicBrainzUrl; // --musicbrainz-url URL
    std::string CoverArtUrl;    // --coverart-url URL
    std::string Release;        // --release N|MBID: which of the disc's releases, 1 the first
    bool PreferCdText = false;  // --prefer-cdtext: the disc's texts win over MusicBrainz's
    std::string CueSheet;       // --cue FILE: a cue sheet of the files written
    bool Cover = false;         // --cover: the release's front cover into the ID3v2 tag
    // The proof of a rip: the databases' addresses (default the public ones,
    // or KESTRUNE_ACCURATERIP_URL and KESTRUNE_CTDB_URL), and whether a track
    // neither can call accurate fails the run.
    std::string AccurateRipUrl;     // --accuraterip-url URL
    std::string CtdbUrl;            // --ctdb-url URL, the CUETools database's (KESTRUNE_CTDB_URL)
    bool RequireAccurate = false;   // --require-accurate
    bool StopOnError = false;       // --stop-on-error
    bool TestAndCopy = false;       // --test-and-copy: each written track read again
    std::int32_t OffsetSamples = 0; // --offset: output sample k is the drive's k + N
    bool OffsetGiven = false;       // else the one remembered for the drive, if any
    bool Overread = false;          // --overread: the lead-in and lead-out, not silence
    std::string OffsetRemembered;   // the drive model whose remembered offset was taken
    // The run's log: by default beside the first file, named after the album.
    std::string LogFile; // --log FILE
    bool NoLog = false;  // --no-log
};

// A mistake in the command line that shows only once the encoder is there to
// ask (an unknown genre): refused with the same status as any other.
class UsageError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// Whether the options rip more than one track: --all or a list of tracks.
inline bool SeveralTracks(const RipOptions& Options) {
    return Options.AllTracks || !Options.TrackList.empty();
}

// Parses the command line (without the program name). Raises
// std::invalid_argument with a one-line message on a mistake.
RipOptions ParseOptions(const std::vector<std::string>& Arguments);

// A drive's read offset in samples, either sign ("+6" as lists of drives
// write it), at most a second either way as the reading library takes it.
// Raises std::invalid_argument saying what --offset takes.
std::int32_t OffsetOf(std::string_view Text);

extern const char* const Usage;
// What messages call the output of -o -.
extern const char* const StandardOutputName;

} // namespace kestrune::rip
