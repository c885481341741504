// mkdisc: writes a disc image (NAME.cue + NAME.bin) of given tracks.

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
    "usage: mkdisc [--missing-sectors N] NAME TRACK...\n"
    "Writes NAME.cue and NAME.bin (raw 2352-byte sectors, 16-bit stereo at 44100 Hz).\n"
    "\n"
    "TRACK is KIND:LENGTH[:SIGNAL][,OPTION...]\n"
    "  KIND     audio | data (MODE1/2352)\n"
    "  LENGTH   seconds (2.5), or sectors with a trailing f (150f)\n"
    "  SIGNAL   sine=HZ@DB | chord=HZ@DB | noise=SEED@DB | melody=SEED@DB | silence\n"
    "           (default sine=440@-6)\n"
    "  OPTION   dcp (copy permitted) | pre (pre-emphasis) | pregap=LENGTH (not on track 1)\n"
    "\n"
    "--missing-sectors N  leaves the last N sectors out of NAME.bin (an unreadable end)\n";

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
            if (arg == "--missing-sectors" && i + 1 < argc) {
                const std::string_view value = argv[++i];
                const auto [end, error] =
                    std::from_chars(value.data(), value.data() + value.size(), disc.MissingSectors);
                if (error != std::errc() || end != value.data() + value.size() ||
                    disc.MissingSectors < 0) {
                    throw std::invalid_argument("--missing-sectors needs a sector count");
                }
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
