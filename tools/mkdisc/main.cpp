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

} // namespace

int main(int argc, char** argv) {
    using namespace kestrune::mkdisc;
    DiscSpec disc;
    std::string base;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string_view arg = argv[i];
            if (arg == "--help" || arg == "-h") {
                std::fputs(Usage, stdout);
                return 0;
            }
            const auto number = [&](auto& Value) {
                const std::string_view value = i + 1 < argc ? argv[++i] : "";
                const auto [end, error] =
                    std::from_chars(value.data(), value.data() + value.size(), Value);
                if (error != std::errc() || end != value.data() + value.size() || Value < 0) {
                    throw std::invalid_argument(std::string(arg) + " needs a whole number");
                }
            };
            const auto text = [&]() -> std::string {
                if (i + 1 >= argc) {
                    throw std::invalid_argument(std::string(arg) + " needs a value");
                }
                return argv[++i];
            };
            if (arg == "--missing-sectors") {
                number(disc.MissingSectors);
            } else if (arg == "--per-track") {
                disc.FilePerTrack = true;
            } else if (arg == "--type") {
                const std::string type = text();
                if (type == "binary") {
                    disc.Type = FileType::Binary;
                } else if (type == "motorola") {
                    disc.Type = FileType::Motorola;
                } else if (type == "wave") {
                    disc.Type = FileType::Wave;
                } else {
                    throw std::invalid_argument("--type takes binary, motorola or wave");
                }
            } else if (arg == "--first") {
                number(disc.FirstTrack);
            } else if (arg == "--title") {
                disc.Title = text();
            } else if (arg == "--performer") {
                disc.Performer = text();
            } else if (arg == "--catalog") {
                disc.Catalog = text();
            } else if (arg == "--toc") {
                disc.Sheet = SheetKind::Toc;
            } else if (arg == "--nrg") {
                disc.Sheet = SheetKind::Nrg;
            } else if (arg == "--nrg1") {
                disc.Sheet = SheetKind::Nrg;
                disc.NrgVersion = 1;
            } else if (arg == "--offset") {
                number(disc.TocOffsetBytes);
            } else if (arg == "--swap") {
                disc.TocSwap = true;
            } else if (base.empty()) {
                base = arg;
            } else {
                disc.Tracks.push_back(ParseTrack(arg));
            }
        }
        if (base.empty() || disc.Tracks.empty()) {
            std::fputs(Usage, stderr);
            return 2;
        }
        WriteDisc(base, disc);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mkdisc: %s\n", e.what());
        return 1;
    }
    return 0;
}
