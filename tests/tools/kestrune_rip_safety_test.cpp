// kestrune-rip under the things users and systems do to a running program:
// signals, closed pipes, outputs that name the disc, settings shared by many
// processes, an installed copy that its user cannot write.

#include "tests/support/disc_images.h"
#include "tests/support/mp3_file.h"
#include "tests/tools/rip_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace kestrune::test {
namespace {

using namespace std::chrono_literals;

std::string ReadAll(const std::filesystem::path& Path) {
    std::ifstream in(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t Count(const std::string& Text, const std::string& Part) {
    std::size_t count = 0;
    for (auto at = Text.find(Part); at != std::string::npos; at = Text.find(Part, at + 1)) {
        ++count;
    }
    return count;
}

template <class Condition> bool WaitFor(Condition Done, std::chrono::seconds Limit = 60s) {
    const auto deadline = std::chrono::steady_clock::now() + Limit;
    while (!Done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

class RipSafety : public ::testing::Test {
protected:
    RipSafety() {
        // Each test has settings of its own.
        ::setenv("XDG_CONFIG_HOME", Config().c_str(), 1);
    }
    std::string Path(const std::string& Name) const { return (images.Folder() / Name).string(); }
    std::filesystem::path Logs() const { return images.Folder() / "logs"; }
    std::string Config() const { return (images.Folder() / "config").string(); }
    std::filesystem::path Settings() const {
        return images.Folder() / "config" / "kestrune" / "discread.ini";
    }
    // Lets the rips in the folder read chunk by chunk until Parts temporary
    // files hold encoded audio: each rip has started and waits at the gate,
    // far from the end of its track however fast or slow the machine is.
    void LetStart(const ReadGate& Gate, std::size_t Parts) const {
        ASSERT_TRUE(Gate.ChunkByChunkUntil([&] { return PartsWithData(images.Folder()) >= Parts; }))
            << "the rip never got going";
    }

    DiscImages images;
};

TEST_F(RipSafety, TheDiscsOwnFilesAndAnExistingFileSurviveRefusedRips) {
    const auto cue = images.Make("d", {"audio:1", "audio:1"});
    const auto bin = Path("d.bin");
    const auto binBefore = ReadAll(bin);
    const auto cueBefore = ReadAll(cue);
    for (const auto& target : {bin, cue}) {
        RipProcess rip({"--disc", cue, "--track", "1", "-o", target}, Logs());
        EXPECT_EQ(rip.Wait(), 1);
        EXPECT_EQ(rip.Err(), "kestrune-rip: track 01: Cannot create file \"" + target +
                                 "\". It is a file of the disc being read.\n");
    }
    EXPECT_EQ(ReadAll(bin), binBefore);
    EXPECT_EQ(ReadAll(cue), cueBefore);

    std::ofstream(Path("keep.mp3")) << "x";
    RipProcess wrong({"--disc", cue, "--track", "9", "-o", Path("keep.mp3")}, Logs());
    EXPECT_EQ(wrong.Wait(), 1);
    EXPECT_EQ(wrong.Err(), "kestrune-rip: the disc has no track 9; its tracks are 1 to 2\n");
    EXPECT_EQ(ReadAll(Path("keep.mp3")), "x");
}

TEST_F(RipSafety, AFullDiskKeepsTheFileThatWasThere) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to mount a small file system";
    }
    const auto cue = images.Make("d", {"audio:10:noise=1"});
    const auto disk = images.Folder() / "small";
    std::filesystem::create_directories(disk);
    // A 64 KiB file system of its own, in a mount namespace that ends with the shell.
    // No log: the run's record of its failure would be a file of its own there.
    const std::string script = "mount -t tmpfs -o size=64k tmpfs " + disk.string() +
                               " || exit 99; printf kept > " + disk.string() + "/keep.mp3; " +
                               KESTRUNE_RIP + " --no-log --disc " + cue + " -o " + disk.string() +
                               "/keep.mp3 2>&1; echo \"status $?\"; cat " + disk.string() +
                               "/keep.mp3; echo; ls -A " + disk.string();
    RipProcess shell({}, Logs(), {"unshare", "-m", "sh", "-c", script, "--"});
    ASSERT_EQ(shell.Wait(), 0) << shell.Out() << shell.Err();
    const std::string out = shell.Out();
    EXPECT_NE(out.find("kestrune-rip: track 01: Cannot write to file \"" + disk.string() +
                       "/keep.mp3\". No space left on device\n"),
              std::string::npos)
        << out;
    EXPECT_TRUE(out.ends_with("status 1\nkept\nkeep.mp3\n"))
        << "the old file and nothing else stays\n"
        << out;
}

TEST_F(RipSafety, AKilledRipLeavesTheEarlierFileAndNoHalfFileUnderItsName) {
    const auto cue = images.Make("long", {"audio:300:noise=1@-20"});
    std::ofstream(Path("old.mp3")) << "the earlier rip";
    const ReadGate gate(images.Folder() / "gate");
    for (const auto& target : {Path("old.mp3"), Path("new.mp3")}) {
        RipProcess rip({"--disc", cue, "-o", target}, Logs());
        LetStart(gate, 1);
        rip.Signal(SIGKILL);
        EXPECT_EQ(rip.Wait(), 128 + SIGKILL);
    }
    EXPECT_EQ(ReadAll(Path("old.mp3")), "the earlier rip");
    EXPECT_FALSE(std::filesystem::exists(Path("new.mp3")));
}

TEST_F(RipSafety, EverySignalThatStopsARunOfTracksStopsItAsCtrlCDoes) {
    // Long tracks: a held reader is far from the first track's end.
    const auto cue = images.Make("four", {"audio:60:noise=1@-20", "audio:60:noise=2@-20",
                                          "audio:60:noise=3@-20", "audio:60:noise=4@-20"});
    const ReadGate gate(images.Folder() / "gate");
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        const auto name = [&](int Track) {
            return Path(std::to_string(signal) + "-0" + std::to_string(Track) + ".mp3");
        };
        RipProcess rip({"--disc", cue, "--all", "-o", Path(std::to_string(signal) + "-%n.mp3")},
                       Logs());
        LetStart(gate, 1);
        rip.Signal(signal);
        ASSERT_TRUE(gate.ChunkByChunkUntil([&] { return Ended(rip.Pid()); }));
        EXPECT_EQ(rip.Wait(), 128 + signal);
        // The track under way: a shorter file, whole, of exactly what was read.
        const auto decoded = DecodeMp3(name(1));
        EXPECT_GT(decoded.Frames(), 0u);
        EXPECT_LT(decoded.Frames(), 60u * 44100);
        EXPECT_TRUE(ReadId3v1(name(1)).has_value());
        EXPECT_EQ(Count(rip.Err(), "Track 01 stopped"), 1u) << rip.Err();
        // The reading never got to the last track.
        EXPECT_EQ(Count(rip.Err(), "Track 04 not ripped: stopped before it began"), 1u)
            << rip.Err();
        EXPECT_FALSE(std::filesystem::exists(name(4)));
        EXPECT_EQ(PartialSize(images.Folder()), 0u) << "a file was left half written";
    }
}

TEST_F(RipSafety, StandardOutputCarriesOnlyDataAndMayBeClosed) {
    const auto cue = images.Make("d", {"audio:2:sine=440@-12"});
    // A reader that went away: progress and messages must not kill the rip.
    RipProcess closed({"--disc", cue, "-o", Path("closed.mp3")}, Logs(), {}, true);
    EXPECT_EQ(closed.Wait(), 0);
    EXPECT_EQ(DecodeMp3(Path("closed.mp3")).Frames(), 2u * 44100);

    RipProcess streamed({"--disc", cue, "-o", "-"}, Logs());
    EXPECT_EQ(streamed.Wait(), 0) << streamed.Err();
    const std::string data = streamed.Out();
    std::ofstream(Path("streamed.mp3"), std::ios::binary) << data;
    ASSERT_GE(data.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(data[0]), 0xFF) << "starts with an MP3 frame";
    EXPECT_EQ(data.find("Track 01"), std::string::npos) << "progress text in the MP3";
    // Without the Info frame (a stream cannot be rewritten) the decoder also
    // gives the encoder's delay and padding; the audio is all there.
    EXPECT_GE(DecodeMp3(Path("streamed.mp3")).Frames(), 2u * 44100);
    EXPECT_NE(streamed.Err().find("Track 01 written to standard output"), std::string::npos);
}

// kestrune-rip run with its standard output on one end of a socket; gives
// everything read from the other end and the exit status.
std::pair<std::string, int> RipToSocket(const std::vector<std::string>& Arguments) {
    int ends[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) {
        return {"", -1};
    }
    std::vector<std::string> words{KESTRUNE_RIP};
    words.insert(words.end(), Arguments.begin(), Arguments.end());
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(ends[1], 1);
        ::close(ends[0]);
        ::close(ends[1]);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(ends[1]);
    std::string received;
    char buffer[65536];
    for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno != EINTR) {
            break;
        }
        received.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    }
    ::close(ends[0]);
    int raw = 0;
    ::waitpid(child, &raw, 0);
    return {received, WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw)};
}

TEST_F(RipSafety, StandardOutputIsWrittenWhereItStands) {
    const auto cue = images.Make("d", {"audio:2:sine=440@-12"});
    const auto log = Path("app.log");
    const auto grouped = Path("grouped.out");
    const std::string rip = std::string(KESTRUNE_RIP) + " --disc " + cue + " -o -";
    const std::string script = "printf 'first line\\n' > " + log + "; " + rip + " >> " + log +
                               " || exit 1; { printf HEADER; " + rip + "; } > " + grouped;
    RipProcess shell({}, Logs(), {"sh", "-c", script});
    ASSERT_EQ(shell.Wait(), 0) << shell.Err();
    for (const auto& [file, before] :
         {std::pair{log, std::string("first line\n")}, std::pair{grouped, std::string("HEADER")}}) {
        const std::string written = ReadAll(file);
        ASSERT_TRUE(written.starts_with(before)) << file << " lost what was there";
        ASSERT_GT(written.size(), before.size() + 1);
        EXPECT_EQ(static_cast<unsigned char>(written[before.size()]), 0xFF)
            << "the MP3 follows at once";
        std::ofstream(Path("tail.mp3"), std::ios::binary) << written.substr(before.size());
        EXPECT_GE(DecodeMp3(Path("tail.mp3")).Frames(), 2u * 44100) << file;
    }

    const auto [data, status] = RipToSocket({"--disc", cue, "-o", "-"});
    EXPECT_EQ(status, 0);
    std::ofstream(Path("socket.mp3"), std::ios::binary) << data;
    EXPECT_GE(DecodeMp3(Path("socket.mp3")).Frames(), 2u * 44100) << "a socket as standard output";
}

TEST_F(RipSafety, ClosedStandardDescriptorsTakeNothingTheRipWrites) {
    // A descriptor left closed would be the next file opened, and the progress
    // meant for standard error would land in the MP3.
    const auto cue = images.Make("d", {"audio:2:sine=440@-12"});
    const auto target = Path("closed.mp3");
    const std::string script = std::string(KESTRUNE_RIP) + " --disc " + cue + " -o " + target +
                               " 2>&-; echo \"status $?\"";
    RipProcess shell({}, Logs(), {"sh", "-c", script});
    ASSERT_EQ(shell.Wait(), 0);
    EXPECT_EQ(shell.Out(), "status 0\n");
    const std::string written = ReadAll(target);
    EXPECT_EQ(written.find("Track 01"), std::string::npos) << "progress text in the MP3";
    EXPECT_EQ(DecodeMp3(target).Frames(), 2u * 44100);
}

TEST_F(RipSafety, TagTextsAreLatin1CutOnCharactersAndUnknownGenresAreRefused) {
    const auto cue = images.Make("d", {"audio:10f"});
    // 29 letters and then an e with an acute accent: two bytes in UTF-8, one in
    // the tag, where the thirtieth byte used to cut it in half.
    const std::string title = std::string(29, 'T') + "\xC3\xA9" + "tail";
    RipProcess rip({"--disc", cue, "-o", Path("t.mp3"), "--title", title, "--artist",
                    "\xE2\x82\xAC uro", "--genre", "hip-hop"},
                   Logs());
    ASSERT_EQ(rip.Wait(), 0) << rip.Err();
    const auto tag = ReadId3v1(Path("t.mp3"));
    ASSERT_TRUE(tag.has_value());
    EXPECT_EQ(tag->Title, std::string(29, 'T') + "\xE9");
    EXPECT_EQ(tag->Artist, "? uro");
    EXPECT_EQ(tag->Genre, 7) << "the encoder's own name for it";

    RipProcess unknown({"--disc", cue, "-o", Path("u.mp3"), "--genre", "Nonsense Music"}, Logs());
    EXPECT_EQ(unknown.Wait(), 2);
    EXPECT_EQ(unknown.Err(), "kestrune-rip: --genre 'Nonsense Music' is no genre the encoder "
                             "knows (a name of the ID3 list or its number)\n");
    EXPECT_FALSE(std::filesystem::exists(Path("u.mp3")));
    RipProcess number({"--disc", cue, "-o", Path("n.mp3"), "--genre", "17"}, Logs());
    ASSERT_EQ(number.Wait(), 0) << number.Err();
    EXPECT_EQ(ReadId3v1(Path("n.mp3"))->Genre, 17);
}

TEST_F(RipSafety, CtrlCWhileWaitingForAPipesReaderIsAStop) {
    const auto cue = images.Make("d", {"audio:10f"});
    const auto fifo = Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    RipProcess rip({"--disc", cue, "-o", fifo}, Logs());
    // Its settings written, the program listens for stops and goes on to wait
    // for the pipe's reader, who never comes: whenever the stop arrives from
    // here on, it must end the wait.
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(Settings()); }))
        << "the rip never got as far as its settings";
    rip.Signal(SIGINT);
    EXPECT_EQ(rip.Wait(), 128 + SIGINT) << rip.Err();
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST_F(RipSafety, ATrackTheImageDoesNotHoldFailsInsteadOfGivingAnEmptyFile) {
    const auto cue = images.Make("cut", {"audio:1", "audio:1"}, 90);
    RipProcess rip({"--disc", cue, "--track", "2", "-o", Path("two.mp3")}, Logs());
    EXPECT_EQ(rip.Wait(), 1);
    EXPECT_EQ(
        rip.Err(),
        "kestrune-rip: track 02: The disc could not be read at sector 75 (error 5): the range "
        "starts at sector 75, where the disc's data has ended (sector 60)\n");
    EXPECT_FALSE(std::filesystem::exists(Path("two.mp3")));
}

// The settings file as the library needs it, and a key of the user's.
constexpr const char* SettingsWanted =
    "[User]\nkeep=this\n[CD-ROM]\nnActive=0\nnTransportLayer=1\n";

TEST_F(RipSafety, ManyRipsAtOnceKeepTheSharedSettingsWhole) {
    std::filesystem::create_directories(Settings().parent_path());
    std::ofstream(Settings()) << "[User]\nkeep=this\n[CD-ROM]\nnActive=3\n";
    const auto cue = images.Make("d", {"audio:10f"});
    std::vector<std::unique_ptr<RipProcess>> rips;
    for (int i = 0; i < 20; ++i) {
        rips.push_back(std::make_unique<RipProcess>(
            std::vector<std::string>{"--disc", cue, "-o", Path("p" + std::to_string(i) + ".mp3")},
            Logs()));
    }
    for (auto& rip : rips) {
        EXPECT_EQ(rip->Wait(), 0) << rip->Err();
    }
    EXPECT_EQ(ReadAll(Settings()), SettingsWanted);

    // A whole disc of 99 tracks, ripped side by side.
    const std::vector<std::string> tracks(99, "audio:10f");
    const auto many = images.Make("many", tracks);
    RipProcess all({"--disc", many, "--all", "-o", Path("m%n.mp3")}, Logs());
    EXPECT_EQ(all.Wait(), 0) << all.Err();
    EXPECT_TRUE(std::filesystem::exists(Path("m99.mp3")));
    EXPECT_EQ(ReadAll(Settings()), SettingsWanted);
}

TEST_F(RipSafety, AUserWhoCannotWriteTheProgramsFolderCanRip) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to run kestrune-rip as another user";
    }
    // nobody can read the build tree and the images but write only here.
    const auto home = images.Folder() / "nobody";
    std::filesystem::create_directories(home);
    std::filesystem::permissions(home, std::filesystem::perms::all);
    std::filesystem::permissions(
        images.Folder(), std::filesystem::perms::others_read | std::filesystem::perms::others_exec,
        std::filesystem::perm_options::add);
    const auto cue = images.Make("d", {"audio:1:sine=440"});
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    RipProcess rip({"--disc", cue, "-o", (home / "out.mp3").string()}, home / "logs",
                   {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
    EXPECT_EQ(rip.Wait(), 0) << rip.Err();
    EXPECT_EQ(DecodeMp3((home / "out.mp3").string()).Frames(), 44100u);
    EXPECT_TRUE(std::filesystem::exists(home / "config" / "kestrune" / "discread.ini"));
}

} // namespace
} // namespace kestrune::test
