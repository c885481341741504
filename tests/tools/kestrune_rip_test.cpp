// kestrune-rip run as a user runs it, on mkdisc images.

#include "tests/support/disc_images.h"
#include "tests/support/mp3_file.h"
#include "tests/tools/rip_process.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sys/wait.h>
#include <thread>

namespace kestrune::test {
namespace {

struct Outcome {
    int Status = -1;
    std::string Output; // standard output and error together
};

Outcome RunRip(const std::string& Arguments) {
    const std::string command = std::string(KESTRUNE_RIP) + " " + Arguments + " 2>&1";
    Outcome outcome;
    FILE* pipe = ::popen(command.c_str(), "r");
    std::array<char, 4096> chunk{};
    while (const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), pipe)) {
        outcome.Output.append(chunk.data(), got);
    }
    const int raw = ::pclose(pipe);
    outcome.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return outcome;
}

class KestruneRip : public ::testing::Test {
protected:
    std::string Path(const std::string& Name) const { return (images.Folder() / Name).string(); }
    DiscImages images;
};

TEST_F(KestruneRip, RipsOneTrackOfAnImageToAnExactMp3) {
    const auto cue = images.Make("disc", {"audio:1", "audio:3:sine=440@-12"});
    const auto result = RunRip("--disc " + cue + " --track 2 -o " + Path("two.mp3"));
    EXPECT_EQ(result.Status, 0) << result.Output;
    EXPECT_NE(result.Output.find("Track 02 written to " + Path("two.mp3")), std::string::npos);
    EXPECT_NE(result.Output.find("Track 02: 100%"), std::string::npos)
        << "plain lines off a terminal";
    EXPECT_EQ(DecodeMp3(Path("two.mp3")).Frames(), 3u * 44100);
    const auto tag = ReadId3v1(Path("two.mp3"));
    ASSERT_TRUE(tag.has_value());
    // No track number in the tag: in ID3v1 it would cut the comment to 28 characters.
    EXPECT_EQ(tag->Comment, "Velmora DG [Ostin] - Kestrune");
    EXPECT_EQ(tag->Track, 0);
}

TEST_F(KestruneRip, AllRipsEveryAudioTrackAndSkipsData) {
    const auto cue = images.Make("disc", {"audio:1", "data:1", "audio:2", "audio:1"});
    const auto result = RunRip("--disc " + cue + " --all -o " + Path("t%n.mp3"));
    EXPECT_EQ(result.Status, 0) << result.Output;
    EXPECT_EQ(DecodeMp3(Path("t01.mp3")).Frames(), 44100u);
    EXPECT_FALSE(std::filesystem::exists(Path("t02.mp3")));
    EXPECT_EQ(DecodeMp3(Path("t03.mp3")).Frames(), 2u * 44100);
    EXPECT_EQ(DecodeMp3(Path("t04.mp3")).Frames(), 44100u);
    for (const char* number : {"01", "03", "04"}) {
        EXPECT_NE(result.Output.find(std::string("Track ") + number + " written to " +
                                     Path(std::string("t") + number + ".mp3")),
                  std::string::npos)
            << result.Output;
    }
    EXPECT_EQ(result.Output.find("Track 02"), std::string::npos) << result.Output;
}

TEST_F(KestruneRip, FailuresSayWhatWentWrongOnOneLineAndExitNonZero) {
    const auto cue = images.Make("disc", {"data:1", "audio:1"});
    auto result = RunRip("--disc " + cue + " --track 1 -o " + Path("x.mp3"));
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Output, "kestrune-rip: track 01: Trying to rip a data track\n");
    EXPECT_FALSE(std::filesystem::exists(Path("x.mp3")));

    result = RunRip("--disc " + images.Missing("none") + " -o " + Path("y.mp3"));
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Output, "kestrune-rip: track 01: The drive is not ready\n");

    result = RunRip("--bitrate 100");
    EXPECT_EQ(result.Status, 2);
    EXPECT_EQ(result.Output, "kestrune-rip: --bitrate 100 is not an MP3 bit rate\n");

    result = RunRip("--help");
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Output.rfind("usage: kestrune-rip", 0), 0u);
}

TEST_F(KestruneRip, InterruptStopsTheRunAndFinishesTheFile) {
    const auto cue = images.Make("long", {"audio:300:noise=1@-20"});
    const std::string output = Path("long.mp3");
    const ReadGate gate(images.Folder() / "gate");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (std::freopen("/dev/null", "w", stdout) == nullptr) {
            _exit(126);
        }
        ::execl(KESTRUNE_RIP, KESTRUNE_RIP, "--disc", cue.c_str(), "-o", output.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Encoding under way (in the temporary file) and the reading held: Ctrl-C.
    ASSERT_TRUE(gate.ChunkByChunkUntil([&] { return PartsWithData(images.Folder()) > 0; }));
    EXPECT_FALSE(std::filesystem::exists(output)) << "the file appears only when it is whole";
    ::kill(child, SIGINT);
    ASSERT_TRUE(gate.ChunkByChunkUntil([&] { return Ended(child); }));
    int raw = 0;
    ::waitpid(child, &raw, 0);
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 130);
    const auto decoded = DecodeMp3(output);
    EXPECT_GT(decoded.Frames(), 0u);
    EXPECT_LT(decoded.Frames(), 300u * 44100);
    EXPECT_TRUE(ReadId3v1(output).has_value()) << "finished like Stop: flushed and tagged";
}

} // namespace
} // namespace kestrune::test
