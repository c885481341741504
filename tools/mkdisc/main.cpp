// mkdisc: writes a disc image of given tracks in one of the layouts other
// tools write.

#include "tools/mkdisc/image_writer.h"
#include "tools/mkdisc/track_parse.h"

#include <charconv>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

constexpr const char* Usage =
    "usage: mkdisc [OPTION...] NAME TRACK...\n"
    "Writes NAME.cue and NAME.bin (raw 2352-byte sectors, 16-bit stereo at 44100 Hz),\n"
    "or the layout the options ask for.\n"
    "\n"
    "TRACK is KIND:LENGTH[:SIGNAL][,OPTION...]\n"
    "  KIND     audio | data (MODE1/2352)\n"
    "  LENGTH   seconds (2.5), or sectors with a trailing f (150f)\n"
    "  SIGNAL   sine=HZ@DB | chord=HZ@DB | noise=SEED@DB | melody=SEED@DB | silence\n"
    "           (default sine=440@-6)\n"
    "  OPTION   dcp (copy permitted) | pre (pre-emphasis) | pregap=LENGTH (stored silence,\n"
    "           INDEX 00) | gap=LENGTH (silence no file holds, PREGAP) | title=TEXT |\n"
    "           isrc=CODE (gaps not on the first track)\n"
    "\n"
    "--missing-sectors N  leaves the last N sectors out of the last file (an unreadable end)\n"
    "--per-track          one file per track, NAME-NN.bin, NN the track's number\n"
    "--type T             binary, motorola (big-endian) or wave (NAME.wav, RIFF PCM)\n"
    "--first N            the first track's number (default 1)\n"
    "--title T, --performer T, --catalog N   the disc's CD-Text and catalogue number\n"
    "--toc                a cdrdao sheet NAME.toc over NAME.raw (big-endian samples)\n"
    "--offset BYTES       with --toc: a header of that many bytes before the audio\n"
    "--swap               with --toc: little-endian samples, marked SWAP\n"
    "--nrg, --nrg1        a Nero image NAME.nrg (version 2 or 1 of its chunks)\n";

using kestrune::mkdisc::DiscSpec;

// The command line, read an option at a time.
class CommandLine {
public:
    CommandLine(int AArgc, char** AArgv) : FArgc(AArgc), FArgv(AArgv) {}

    bool Next() { return ++FAt < FArgc; }
    std::string_view Argument() const { return FArgv[FAt]; }
    std::string Text() {
        if (FAt + 1 >= FArgc) {
            throw std::invalid_argument(std::string(Argument()) + " needs a value");
        }
        return FArgv[++FAt];
    }
    template <class Number> void WholeNumber(Number& Value) {
        const std::string_view option = Argument();
        const std::string_view value = FAt + 1 < FArgc ? FArgv[++FAt] : "";
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), Value);
        if (error != std::errc() || end != value.data() + value.size() || Value < 0) {
            throw std::invalid_argument(std::string(option) + " needs a whole number");
        }
    }

private:
    int FArgc;
    char** FArgv;
    int FAt = 0;
};

kestrune::mkdisc::FileType FileTypeOf(const std::string& Type) {
    using kestrune::mkdisc::FileType;
    if (Type == "binary") {
        return FileType::Binary;
    }
    if (Type == "motorola") {
        return FileType::Motorola;
    }
    if (Type == "wave") {
        return FileType::Wave;
    }
    throw std::invalid_argument("--type takes binary, motorola or wave");
}

// An option of the disc's layout or texts; false when the argument is none.
bool TakeOption(CommandLine& Line, DiscSpec& Disc) {
    using kestrune::mkdisc::SheetKind;
    const std::string_view arg = Line.Argument();
    if (arg == "--missing-sectors") {
        Line.WholeNumber(Disc.MissingSectors);
    } else if (arg == "--per-track") {
        Disc.FilePerTrack = true;
    } else if (arg == "--type") {
        Disc.Type = FileTypeOf(Line.Text());
    } else if (arg == "--first") {
        Line.WholeNumber(Disc.FirstTrack);
    } else if (arg == "--title") {
        Disc.Title = Line.Text();
    } else if (arg == "--performer") {
        Disc.Performer = Line.Text();
    } else if (arg == "--catalog") {
        Disc.Catalog = Line.Text();
    } else if (arg == "--toc") {
        Disc.Sheet = SheetKind::Toc;
    } else if (arg == "--nrg" || arg == "--nrg1") {
        Disc.Sheet = SheetKind::Nrg;
        Disc.NrgVersion = arg == "--nrg1" ? 1 : Disc.NrgVersion;
    } else if (arg == "--offset") {
        Line.WholeNumber(Disc.TocOffsetBytes);
    } else if (arg == "--swap") {
        Disc.TocSwap = true;
    } else {
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    DiscSpec disc;
    std::string base;
    try {
        CommandLine line(argc, argv);
        while (line.Next()) {
            const std::string_view arg = line.Argument();
            if (arg == "--help" || arg == "-h") {
                std::fputs(Usage, stdout);
                return 0;
            }
            if (TakeOption(line, disc)) {
                continue;
            }
            if (base.empty()) {
                base = arg;
            } else {
                disc.Tracks.push_back(kestrune::mkdisc::ParseTrack(arg));
            }
        }
        if (base.empty() || disc.Tracks.empty()) {
            std::fputs(Usage, stderr);
            return 2;
        }
        kestrune::mkdisc::WriteDisc(base, disc);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mkdisc: %s\n", e.what());
        return 1;
    }
    return 0;
}
