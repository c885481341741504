// kestrune-rip with settings that are not as they should be: no folder for
// them at all, a settings file that is something else, a lock another program
// holds. None of them may hang the program, stop every rip, or touch the
// user's file.

#include "tests/support/disc_images.h"
#include "tests/support/mp3_file.h"
#include "tests/tools/rip_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace kestrune::test {
namespace {

using namespace std::chrono_literals;

std::string ReadAll(const std::filesystem::path& Path) {
    std::ifstream in(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool EndsWithin(const RipProcess& Rip, std::chrono::seconds Limit) {
    const auto deadline = std::chrono::steady_clock::now() + Limit;
    while (!Ended(Rip.Pid())) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// Whether the program (not the test's child before it runs the program) has
// File open: it got as far as opening it.
bool HasOpen(int Pid, const std::filesystem::path& File) {
    std::error_code error;
    const auto program =
        std::filesystem::read_symlink("/proc/" + std::to_string(Pid) + "/exe", error);
    if (error || program.filename() != "kestrune-rip") {
        return false;
    }
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(Pid) + "/fd", error)) {
        if (std::filesystem::read_symlink(entry.path(), error) == File) {
            return true;
        }
    }
    return false;
}

class RipSettings : public ::testing::Test {
protected:
    RipSettings() { ::setenv("XDG_CONFIG_HOME", Config().c_str(), 1); }
    ~RipSettings() override {
        if (!home.empty()) {
            ::setenv("HOME", home.c_str(), 1);
        }
    }
    std::string Path(const std::string& Name) const { return (images.Folder() / Name).string(); }
    std::filesystem::path Logs() const { return images.Folder() / "logs"; }
    std::string Config() const { return (images.Folder() / "config").string(); }
    std::filesystem::path Settings() const {
        return images.Folder() / "config" / "kestrune" / "discread.ini";
    }

    DiscImages images;
    std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
};

// A service account whose home does not exist, or XDG_CONFIG_HOME naming a
// file: there is no folder for the settings, and the rip goes on without them.
TEST_F(RipSettings, WithoutASettingsFolderTheRipGoesOnWithTheDefaults) {
    const auto cue = images.Make("d", {"audio:1"});
    const auto blocker = images.Folder() / "not-a-folder";
    std::ofstream(blocker) << "x";
    ::setenv("XDG_CONFIG_HOME", blocker.c_str(), 1);
    {
        RipProcess rip({"--disc", cue, "-o", Path("file.mp3"), "--quiet"}, Logs());
        EXPECT_EQ(rip.Wait(), 0) << rip.Err();
        EXPECT_NE(rip.Err().find("there is no settings folder"), std::string::npos) << rip.Err();
        EXPECT_EQ(DecodeMp3(Path("file.mp3")).Frames(), 44100u);
        EXPECT_EQ(ReadAll(blocker), "x");
    }
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", "/nonexistent", 1);
    RipProcess rip({"--disc", cue, "-o", Path("home.mp3"), "--quiet"}, Logs());
    EXPECT_EQ(rip.Wait(), 0) << rip.Err();
    EXPECT_EQ(DecodeMp3(Path("home.mp3")).Frames(), 44100u);
    EXPECT_FALSE(std::filesystem::exists("/nonexistent"));
}

// A FIFO would block the read for ever, a link to /dev/zero never ends: both
// are refused at once with the settings file's name, and stay as they were.
TEST_F(RipSettings, ASettingsFileThatIsNoFileIsRefusedAtOnce) {
    const auto cue = images.Make("d", {"audio:10f"});
    std::filesystem::create_directories(Settings().parent_path());
    const std::string refusal = "kestrune-rip: Unable to write to " + Settings().string() + "\n";

    ASSERT_EQ(::mkfifo(Settings().c_str(), 0600), 0);
    {
        RipProcess rip({"--disc", cue, "-o", Path("fifo.mp3")}, Logs());
        ASSERT_TRUE(EndsWithin(rip, 30s)) << "a FIFO as the settings file hangs the program";
        EXPECT_EQ(rip.Wait(), 1);
        EXPECT_EQ(rip.Err(), refusal);
    }
    EXPECT_TRUE(std::filesystem::is_fifo(Settings()));
    std::filesystem::remove(Settings());

    std::filesystem::create_symlink("/dev/zero", Settings());
    RipProcess rip({"--disc", cue, "-o", Path("zero.mp3")}, Logs());
    ASSERT_TRUE(EndsWithin(rip, 30s)) << "/dev/zero as the settings file hangs the program";
    EXPECT_EQ(rip.Wait(), 1);
    EXPECT_EQ(rip.Err(), refusal);
    EXPECT_FALSE(std::filesystem::exists(Path("fifo.mp3")));
    EXPECT_FALSE(std::filesystem::exists(Path("zero.mp3")));
}

// Another program holds the settings folder's lock. A stop the user asks for
// while kestrune-rip waits for it ends the program before the rip begins: the
// file that was there stays as it was.
TEST_F(RipSettings, AStopWhileTheSettingsAreLockedEndsTheProgramBeforeAnyFileIsTouched) {
    const auto cue = images.Make("d", {"audio:2"});
    std::filesystem::create_directories(Settings().parent_path());
    // Close-on-exec: the program must open the folder itself.
    const int holder = ::open(Settings().parent_path().c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    std::ofstream(Path("precious.mp3")) << "precious";

    RipProcess rip({"--disc", cue, "-o", Path("precious.mp3")}, Logs());
    // The folder open: the program waits for its lock, and listens for stops.
    const auto folder = Settings().parent_path();
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!HasOpen(rip.Pid(), folder) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_TRUE(HasOpen(rip.Pid(), folder)) << "the program never waited for the lock";
    rip.Signal(SIGTERM);
    const bool ended = EndsWithin(rip, 20s);
    // Let a program that ignored the stop go on, to see what it does then.
    ::close(holder);
    EXPECT_TRUE(ended) << "the stop was ignored while the settings were locked";
    EXPECT_EQ(rip.Wait(), 128 + SIGTERM) << rip.Err();
    EXPECT_TRUE(ReadAll(Path("precious.mp3")) == "precious") << "the file was replaced";
    EXPECT_EQ(PartialSize(images.Folder()), 0u);
}

} // namespace
} // namespace kestrune::test
