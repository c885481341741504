// What kestrune-rip says happened must be what happened: a stop that came
// when the whole track was read finished a whole file.

#include "platform/interrupt.h"
#include "tests/support/disc_images.h"
#include "tests/support/mp3_file.h"
#include "tests/tools/rip_process.h"
#include "tools/kestrune-rip/track_rip.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

namespace kestrune::test {
namespace {

using namespace std::chrono_literals;

// A progress stream that asks for a stop, as Ctrl-C would, the moment the
// display says 100 %: then the whole track has been read and the file is
// still to be finished and renamed.
std::FILE* StopAtTheEnd() {
    cookie_io_functions_t calls{};
    calls.write = [](void*, const char* Text, std::size_t Size) -> ssize_t {
        if (std::string(Text, Size).find("100%") != std::string::npos) {
            std::raise(SIGINT);
        }
        return static_cast<ssize_t>(Size);
    };
    return fopencookie(nullptr, "w", calls);
}

// The stop is this process's own, asked for once: each test of this program
// runs in a process of its own.
TEST(RipReport, AStopAfterTheWholeTrackWasReadIsAWrittenTrack) {
    DiscImages images;
    const auto cue = images.Make("d", {"audio:1"});
    ::setenv("DISCREAD_DISC", cue.c_str(), 1);
    platform::CatchInterrupts();
    rip::TrackRipper ripper{rip::RipOptions{}};
    std::FILE* const progress = StopAtTheEnd();
    rip::ProgressDisplay display(progress, "Track 01", true);
    const auto output = (images.Folder() / "whole.mp3").string();
    const rip::RipResult result = ripper.Rip(1, output, {}, display);
    std::fclose(progress);
    ASSERT_TRUE(platform::InterruptRequested()) << "the display never showed 100 %";
    EXPECT_EQ(result.Outcome, rip::RipOutcome::Written) << result.Error;
    EXPECT_EQ(DecodeMp3(output).Frames(), 44100u);
}

} // namespace
} // namespace kestrune::test
