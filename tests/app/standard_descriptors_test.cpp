// The desktop program started with standard input, output and error closed,
// as a launcher or a service may start it: whatever it opens first must not
// take their places, or its warnings would be written into that file.

#include "tests/support/disc_images.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kestrune::test {
namespace {

using namespace std::chrono_literals;

std::string Target(int Pid, int Descriptor) {
    std::error_code error;
    const auto link = std::filesystem::read_symlink(
        "/proc/" + std::to_string(Pid) + "/fd/" + std::to_string(Descriptor), error);
    return error ? std::string() : link.string();
}

bool HoldsFileNamed(int Pid, const std::string& Name) {
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(Pid) + "/fd", error)) {
        std::error_code gone;
        if (std::filesystem::read_symlink(entry.path(), gone).filename() == Name) {
            return true;
        }
    }
    return false;
}

TEST(StandardDescriptors, TheDesktopProgramStartedWithoutThemHoldsTheNullDevice) {
    DiscImages images;
    const auto cue = images.Make("disc", {"audio:1"});
    const auto locks = images.Folder() / "locks";
    std::filesystem::create_directories(locks);
    std::filesystem::permissions(locks, std::filesystem::perms::owner_all);
    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("XDG_RUNTIME_DIR", locks.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("DISCREAD_DRIVES", cue.c_str(), 1);
        for (const int descriptor : {0, 1, 2}) {
            ::close(descriptor);
        }
        ::execl(KESTRUNE, KESTRUNE, "D:\\Track01.cda", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(child, 0);
    // The lock is the first thing the program opens of its own.
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!HoldsFileNamed(child, "Kesta.lock") && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(HoldsFileNamed(child, "Kesta.lock")) << "the program never took its lock";
    for (const int descriptor : {0, 1, 2}) {
        EXPECT_EQ(Target(child, descriptor), "/dev/null") << "descriptor " << descriptor;
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

} // namespace
} // namespace kestrune::test
