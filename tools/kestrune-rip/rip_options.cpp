#include "tools/kestrune-rip/rip_options.h"

#include "mp3out/program_tags.h"
#include "tools/kestrune-rip/file_names.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <stdexcept>
#include <string_view>

namespace kestrune::rip {

const char* const Usage =
    "usage: kestrune-rip [--drive N | --disc IMAGE] [--track N[-M],... | --all | --list]\n"
    "                    [-o FILE|PATTERN] [--cue FILE] [--log FILE | --no-log]\n"
    "                    [--keep-emphasis]\n"
    "                    [--bitrate K] [--quality Q] [--mode M]\n"
    "                    [--vbr [--vbr-quality Q] [--vbr-min K] [--vbr-max K] [--vbr-header]]\n"
    "                    [--title T] [--artist T] [--album T] [--year T] [--comment T]\n"
    "                    [--genre T] [--offline | --release N|ID] [--prefer-cdtext]\n"
    "                    [--cover] [--musicbrainz-url URL] [--coverart-url URL]\n"
    "                    [--accuraterip-url URL] [--ctdb-url URL] [--require-accurate]\n"
    "                    [--offset N [--overread] | --find-offset] [--stop-on-error]\n"
    "                    [--test-and-copy] [--quiet]\n"
    "Copies tracks of an audio CD, or of a disc image, into MP3 files.\n"
    "\n"
    "  --drive N        the CD drive to read, counted from 0 (default 0)\n"
    "  --disc IMAGE     read a disc image (.cue, .toc, .nrg or .iso) instead of a\n"
    "                   drive; the path is taken whole, ':' and all\n"
    "  --track N        the track to copy, by the number the disc gives it, 1 to 99\n"
    "                   (default the first track); a list such as 2-5,7 copies\n"
    "                   those audio tracks as --all copies every one\n"
    "  --all            copy every audio track\n"
    "  --list           print the disc's table: number, start, length, audio or data,\n"
    "                   flags (DCP copy permitted, PRE pre-emphasis, 4CH), ISRC, title,\n"
    "                   the disc's MusicBrainz, FreeDB, AccurateRip and CTDB ids and\n"
    "                   the releases MusicBrainz lists for it\n"
    "  -o FILE|PATTERN  the MP3 file (also --output), or a pattern: %n the track's\n"
    "                   number, %N the count, %t title, %a artist, %A album artist,\n"
    "                   %b album, %y year, %d disc number, %% a '%'; a '/' in it\n"
    "                   makes folders (default TrackNN.mp3). Two tracks for one name\n"
    "                   are refused. The file appears when it is whole and tagged;\n"
    "                   a failed rip leaves a file of that name as it was.\n"
    "                   -o - writes to standard output; a pipe or a device is\n"
    "                   written directly and keeps no Info frame, so players may\n"
    "                   show a wrong length\n"
    "  --cue FILE       also write a cue sheet of the files written: the album's and\n"
    "                   tracks' texts, ISRC, catalogue number, a FILE per track\n"
    "  --log FILE       where the run's log goes: the settings, the disc's table and\n"
    "                   ids, each track's range, checksums, the databases' verdicts and\n"
    "                   result (default beside the first file, named after the\n"
    "                   album or the disc's FreeDB id; none for -o -)\n"
    "  --no-log         write no log\n"
    "  --windows-names  also replace in names the characters Windows refuses\n"
    "  --keep-emphasis  encode tracks mastered with pre-emphasis as they are; by\n"
    "                   default they are de-emphasised as a CD player does\n"
    "  --bitrate K      constant bit rate in kbit/s: 64 80 96 112 128 160 192 224\n"
    "                   256 320 (default 128)\n"
    "  --quality Q      encoder quality, 0 best to 9 fastest (default 5)\n"
    "  --mode M         stereo, joint, dual or mono (default stereo)\n"
    "  --vbr            variable bit rate; --vbr-quality Q (default 5), --vbr-min K and\n"
    "                   --vbr-max K in kbit/s, 32 to 320 (default 128 and 192),\n"
    "                   --vbr-header\n"
    "  --title, --artist, --album, --album-artist, --year, --comment, --genre\n"
    "                   tag texts that win over the disc's and MusicBrainz's; with --all,\n"
    "                   --artist is the album artist and --title is refused. Files\n"
    "                   get an ID3v2.4 tag (UTF-8) and an ID3v1 tag (Latin-1, a\n"
    "                   character it lacks becomes '?'); the comment has the\n"
    "                   program's default; --year takes up to four digits, --genre\n"
    "                   a name of the ID3 list or its number\n"
    "  --offline        no online lookup: names and tags come from the disc's\n"
    "                   CD-Text and the options (also KESTRUNE_OFFLINE=1)\n"
    "  --release N|ID   the disc's release to tag from, as --list numbers them or\n"
    "                   by its MusicBrainz id (default the first)\n"
    "  --prefer-cdtext  the disc's CD-Text wins over MusicBrainz's texts\n"
    "  --cover          put the release's front cover from the Cover Art Archive\n"
    "                   into each file's ID3v2 tag\n"
    "  --musicbrainz-url URL, --coverart-url URL\n"
    "                   the services' addresses (default the public ones, or\n"
    "                   KESTRUNE_MUSICBRAINZ_URL and KESTRUNE_COVERART_URL)\n"
    "  --accuraterip-url URL\n"
    "                   where AccurateRip is asked for other users' checksums of\n"
    "                   the disc (default the public one, or KESTRUNE_ACCURATERIP_URL);\n"
    "                   each written track says whether it was accurately ripped\n"
    "  --ctdb-url URL   where the CUETools database is asked for the disc's and\n"
    "                   its tracks' CRC32s (default the public one, or\n"
    "                   KESTRUNE_CTDB_URL); each track's verdict, and the whole\n"
    "                   disc's when every audio track is ripped\n"
    "  --require-accurate\n"
    "                   end with exit status 3 unless AccurateRip or the CUETools\n"
    "                   database calls every track written accurately ripped\n"
    "  --offset N       the drive's read offset in samples, either sign (+6, -1200):\n"
    "                   sample k of each file is the drive's sample k + N, with\n"
    "                   silence for what lies outside the disc; remembered for the\n"
    "                   drive's model (default the one remembered, else 0)\n"
    "  --overread       what the offset moves in from before the disc or past its\n"
    "                   end is read from the drive's lead-in and lead-out where the\n"
    "                   drive reads there (silence where it does not)\n"
    "  --find-offset    find the drive's read offset instead of ripping: one or two\n"
    "                   tracks of a disc AccurateRip knows are read once and each\n"
    "                   offset from -2940 to +2940 is tried against its v1\n"
    "                   checksums; the offset they all match is printed and\n"
    "                   remembered for the drive's model\n"
    "  --test-and-copy  read each written track again (up to three times) until\n"
    "                   its CRC32 equals the copy's; exit status 3 if none does\n"
    "  --stop-on-error  fail a track at a sector the drive cannot read, even after\n"
    "                   the retries (by default the sector is written as silence,\n"
    "                   the track is called damaged and the exit status is 3)\n"
    "  --quiet          no progress and no line per written track; errors are still\n"
    "                   printed\n"
    "  --help, --version\n"
    "\n"
    "Progress and messages go to standard error. Ctrl-C (or SIGTERM or SIGHUP)\n"
    "stops and finishes the file written so far; the exit status is then 128 plus\n"
    "the signal's number.\n";

namespace {

std::int32_t Number(std::string_view Option, std::string_view Text) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
    if (error != std::errc() || end != Text.data() + Text.size()) {
        throw std::invalid_argument(std::string(Option) + " needs a whole number, not '" +
                                    std::string(Text) + "'");
    }
    return value;
}

TMP3Quality QualityOf(std::string_view Option, std::string_view Text) {
    const std::int32_t value = Number(Option, Text);
    if (value < 0 || value > 9) {
        throw std::invalid_argument(std::string(Option) + " takes 0 to 9");
    }
    return static_cast<TMP3Quality>(value);
}

// The rates the encoder keeps for CD audio (MPEG-1): 144 is an MPEG-2 rate it
// turned into 128. A constant rate below 64 leaves no room for the Info frame,
// so the decoded file would be longer than the track.
constexpr int LowestConstantKbps = 64;
constexpr int LowestVariableKbps = 32;

TMP3BitRate BitRateOf(std::string_view Option, std::string_view Text, int LowestKbps) {
    const std::int32_t kbps = Number(Option, Text);
    std::string kept;
    bool listed = false;
    for (int i = 0; i <= static_cast<int>(TMP3BitRate::br320); ++i) {
        const auto rate = static_cast<TMP3BitRate>(i);
        listed = listed || Kbps(rate) == kbps;
        if (rate == TMP3BitRate::br144 || Kbps(rate) < LowestKbps) {
            continue;
        }
        if (Kbps(rate) == kbps) {
            return rate;
        }
        kept += (kept.empty() ? "" : " ") + std::to_string(Kbps(rate));
    }
    if (!listed) {
        throw std::invalid_argument(std::string(Option) + " " + std::string(Text) +
                                    " is not an MP3 bit rate");
    }
    throw std::invalid_argument(std::string(Option) + " " + std::string(Text) +
                                " would not be kept by the encoder for CD audio; it takes " + kept);
}

// ID3 version 1 holds four digits; the encoder made 9999 of anything larger.
std::string YearOf(const std::string& Text) {
    if (Text.size() > 4 || Text.find_first_not_of("0123456789") != std::string::npos) {
        throw std::invalid_argument("--year takes up to four digits, not '" + Text + "'");
    }
    return Text;
}

std::int32_t TrackOf(std::string_view Text) {
    const std::int32_t track = Number("--track", Text);
    if (track < 1 || track > 99) {
        throw std::invalid_argument("--track takes 1 to 99");
    }
    return track;
}

// "N", or a list of numbers and ranges such as "2-5,7".
void TakeTracks(std::string_view Text, RipOptions& Options) {
    if (Text.find_first_of(",-") == std::string_view::npos) {
        Options.Track = TrackOf(Text);
        return;
    }
    std::vector<bool> wanted(100, false);
    while (!Text.empty()) {
        const std::string_view item = Text.substr(0, Text.find(','));
        Text.remove_prefix(std::min(Text.size(), item.size() + 1));
        const std::size_t dash = item.find('-');
        const std::int32_t first = TrackOf(item.substr(0, dash));
        const std::int32_t last =
            dash == std::string_view::npos ? first : TrackOf(item.substr(dash + 1));
        if (last < first) {
            throw std::invalid_argument("--track: the range " + std::string(item) +
                                        " runs backwards");
        }
        for (std::int32_t n = first; n <= last; ++n) {
            wanted[static_cast<std::size_t>(n)] = true;
        }
    }
    for (std::int32_t n = 1; n < 100; ++n) {
        if (wanted[static_cast<std::size_t>(n)]) {
            Options.TrackList.push_back(n);
        }
    }
}

TMP3Mode ModeOf(std::string_view Text) {
    constexpr std::array<std::string_view, 4> names{"stereo", "joint", "dual", "mono"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (Text == names[i]) {
            return static_cast<TMP3Mode>(i);
        }
    }
    throw std::invalid_argument("--mode takes stereo, joint, dual or mono");
}

// The arguments, read one option at a time.
class ArgumentList {
public:
    explicit ArgumentList(const std::vector<std::string>& AList) : FList(AList) {}

    bool Next() { return ++FAt < FList.size(); }
    std::string_view Option() const { return FList[FAt]; }
    // The option's value, the argument after it.
    const std::string& Value() {
        if (FAt + 1 >= FList.size()) {
            throw std::invalid_argument(std::string(Option()) + " needs a value");
        }
        return FList[++FAt];
    }

private:
    const std::vector<std::string>& FList;
    std::size_t FAt = static_cast<std::size_t>(-1);
};

struct Parsed {
    RipOptions Options;
    bool SawVbrSetting = false;
    bool SawConstantSetting = false;
};

// What to do and what to read; false when the option is none of these.
bool TakeSourceOption(ArgumentList& Args, RipOptions& Options) {
    const std::string_view option = Args.Option();
    if (option == "--help" || option == "-h") {
        Options.What = Action::Help;
    } else if (option == "--version") {
        Options.What = Action::Version;
    } else if (option == "--list") {
        Options.What = Action::List;
    } else if (option == "--find-offset") {
        Options.What = Action::FindOffset;
    } else if (option == "--drive") {
        Options.Drive = Number(option, Args.Value());
    } else if (option == "--disc") {
        Options.Disc = Args.Value();
        if (Options.Disc.empty()) {
            throw std::invalid_argument("--disc needs the path of a disc image");
        }
    } else if (option == "--track") {
        TakeTracks(Args.Value(), Options);
    } else if (option == "--windows-names") {
        Options.WindowsNames = true;
    } else if (option == "--all") {
        Options.AllTracks = true;
    } else if (option == "--keep-emphasis") {
        Options.KeepEmphasis = true;
    } else if (option == "-o" || option == "--output") {
        Options.Output = Args.Value();
        if (Options.Output.empty()) {
            throw std::invalid_argument("-o needs a file name (- for standard output)");
        }
    } else if (option == "--cue") {
        Options.CueSheet = Args.Value();
        if (Options.CueSheet.empty()) {
            throw std::invalid_argument("--cue needs a file name");
        }
    } else if (option == "--log") {
        Options.LogFile = Args.Value();
        if (Options.LogFile.empty()) {
            throw std::invalid_argument("--log needs a file name");
        }
    } else if (option == "--no-log") {
        Options.NoLog = true;
    } else if (option == "--quiet") {
        Options.Quiet = true;
    } else {
        return false;
    }
    return true;
}

// The encoder's settings; false when the option is none of them.
bool TakeEncoderOption(ArgumentList& Args, Parsed& Into) {
    const std::string_view option = Args.Option();
    RipOptions& options = Into.Options;
    if (option == "--bitrate") {
        options.BitRate = BitRateOf(option, Args.Value(), LowestConstantKbps);
        Into.SawConstantSetting = true;
    } else if (option == "--quality") {
        options.Quality = QualityOf(option, Args.Value());
        Into.SawConstantSetting = true;
    } else if (option == "--mode") {
        options.Mode = ModeOf(Args.Value());
    } else if (option == "--vbr") {
        options.Vbr = true;
    } else if (option == "--vbr-quality") {
        options.VbrQuality = QualityOf(option, Args.Value());
        Into.SawVbrSetting = true;
    } else if (option == "--vbr-min") {
        options.VbrMin = Kbps(BitRateOf(option, Args.Value(), LowestVariableKbps));
        Into.SawVbrSetting = true;
    } else if (option == "--vbr-max") {
        options.VbrMax = Kbps(BitRateOf(option, Args.Value(), LowestVariableKbps));
        Into.SawVbrSetting = true;
    } else if (option == "--vbr-header") {
        options.VbrHeader = true;
        Into.SawVbrSetting = true;
    } else {
        return false;
    }
    return true;
}

// The tag's texts; false when the option is none of them.
bool TakeTagOption(ArgumentList& Args, RipOptions& Options) {
    const std::string_view option = Args.Option();
    if (option == "--title") {
        Options.Title = Args.Value();
    } else if (option == "--artist") {
        Options.Artist = Args.Value();
    } else if (option == "--album") {
        Options.Album = Args.Value();
    } else if (option == "--album-artist") {
        Options.AlbumArtist = Args.Value();
    } else if (option == "--year") {
        Options.Year = YearOf(Args.Value());
    } else if (option == "--comment") {
        Options.Comment = Args.Value();
    } else if (option == "--genre") {
        Options.Genre = Args.Value();
    } else {
        return false;
    }
    return true;
}

// Where names and tags are looked up; false when the option is none of those.
bool TakeLookupOption(ArgumentList& Args, RipOptions& Options) {
    const std::string_view option = Args.Option();
    if (option == "--offline") {
        Options.Offline = true;
    } else if (option == "--musicbrainz-url") {
        Options.MusicBrainzUrl = Args.Value();
    } else if (option == "--coverart-url") {
        Options.CoverArtUrl = Args.Value();
    } else if (option == "--release") {
        Options.Release = Args.Value();
        if (Options.Release.empty()) {
            throw std::invalid_argument("--release needs a number from 1 or a release's id");
        }
    } else if (option == "--prefer-cdtext") {
        Options.PreferCdText = true;
    } else if (option == "--cover") {
        Options.Cover = true;
    } else if (option == "--accuraterip-url") {
        Options.AccurateRipUrl = Args.Value();
    } else if (option == "--ctdb-url") {
        Options.CtdbUrl = Args.Value();
    } else if (option == "--require-accurate") {
        Options.RequireAccurate = true;
    } else if (option == "--stop-on-error") {
        Options.StopOnError = true;
    } else if (option == "--overread") {
        Options.Overread = true;
    } else if (option == "--test-and-copy") {
        Options.TestAndCopy = true;
    } else if (option == "--offset") {
        Options.OffsetSamples = OffsetOf(Args.Value());
        Options.OffsetGiven = true;
    } else {
        return false;
    }
    return true;
}

// Options each of which is fine, but not together.
void CheckCombination(const Parsed& All) {
    const RipOptions& options = All.Options;
    if (options.Drive && !options.Disc.empty()) {
        throw std::invalid_argument("--drive and --disc exclude each other");
    }
    if ((options.Track || !options.TrackList.empty()) && options.AllTracks) {
        throw std::invalid_argument("--track and --all exclude each other");
    }
    if (SeveralTracks(options) && !options.Title.empty()) {
        throw std::invalid_argument(
            "--title names one track; with --all the disc gives the titles");
    }
    if (SeveralTracks(options) && options.Output == "-") {
        throw std::invalid_argument("standard output takes one track; give -o a pattern");
    }
    if (!options.LogFile.empty() && options.NoLog) {
        throw std::invalid_argument("--log and --no-log exclude each other");
    }
    if (!options.CueSheet.empty() && options.Output == "-") {
        throw std::invalid_argument("--cue lists files; standard output is none");
    }
    if (options.What == Action::List && (options.Track || SeveralTracks(options))) {
        throw std::invalid_argument("--list shows the whole table; leave out --track and --all");
    }
    if (options.What == Action::FindOffset &&
        (options.Track || SeveralTracks(options) || options.OffsetGiven || options.Offline)) {
        throw std::invalid_argument(
            "--find-offset reads tracks of its own choice with every offset and asks AccurateRip; "
            "leave out --track, --all, --offset and --offline");
    }
    if (options.Offline && (!options.Release.empty() || options.Cover)) {
        throw std::invalid_argument("--release and --cover need MusicBrainz; leave out --offline");
    }
    if (options.Offline && options.RequireAccurate) {
        throw std::invalid_argument("--require-accurate needs AccurateRip; leave out --offline");
    }
    if (All.SawVbrSetting && !options.Vbr) {
        throw std::invalid_argument("the --vbr-... settings need --vbr");
    }
    if (options.VbrMin > options.VbrMax) {
        throw std::invalid_argument("--vbr-min " + std::to_string(options.VbrMin) +
                                    " lies above --vbr-max " + std::to_string(options.VbrMax));
    }
    if (All.SawConstantSetting && options.Vbr) {
        throw std::invalid_argument(
            "--bitrate and --quality set a constant rate; with --vbr use the --vbr-... settings");
    }
}

} // namespace

// A drive's read offset in samples, either sign ("+6" as lists of drives
// write it), at most a second either way as the reading library takes it.
std::int32_t OffsetOf(std::string_view Text) {
    constexpr std::int32_t MaxOffsetSamples = 44100;
    const std::string_view digits = Text.starts_with('+') ? Text.substr(1) : Text;
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() ||
        (digits != Text && digits.starts_with('-'))) {
        throw std::invalid_argument("--offset needs a whole number of samples, not '" +
                                    std::string(Text) + "'");
    }
    if (value < -MaxOffsetSamples || value > MaxOffsetSamples) {
        throw std::invalid_argument("--offset takes -44100 to +44100 samples");
    }
    return value;
}

RipOptions ParseOptions(const std::vector<std::string>& List) {
    Parsed parsed;
    parsed.Options.Comment = ProgramTagComment;
    ArgumentList args(List);
    while (args.Next()) {
        if (!TakeSourceOption(args, parsed.Options) && !TakeEncoderOption(args, parsed) &&
            !TakeTagOption(args, parsed.Options) && !TakeLookupOption(args, parsed.Options)) {
            throw std::invalid_argument("unknown option '" + std::string(args.Option()) +
                                        "' (see --help)");
        }
    }
    const Action what = parsed.Options.What;
    if (what != Action::Help && what != Action::Version) {
        CheckCombination(parsed);
    }
    // The artist of a whole disc is its album artist; each track keeps its own.
    if (SeveralTracks(parsed.Options) && !parsed.Options.Artist.empty()) {
        if (parsed.Options.AlbumArtist.empty()) {
            parsed.Options.AlbumArtist = parsed.Options.Artist;
        }
        parsed.Options.Artist.clear();
    }
    return parsed.Options;
}

const char* const StandardOutputName = "standard output";

} // namespace kestrune::rip
