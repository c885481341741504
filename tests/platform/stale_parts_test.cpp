#include "platform/file_stream.h"
#include "platform/stale_parts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/file.h>
#include <unistd.h>

namespace kestrune::platform {
namespace {

TEST(StaleParts, OnlyTheTemporaryFilesOfOutputsHaveTheirName) {
    EXPECT_TRUE(IsPartName(".song.mp3.ab12cd34.part"));
    EXPECT_TRUE(IsPartName(".x.00000000.part"));
    for (const char* other : {"song.mp3.ab12cd34.part", ".song.mp3.AB12CD34.part", ".notes.part",
                              ".song.mp3.ab12cd3.part", ".song.mp3ab12cd34.part", "..ab12cd34.part",
                              ".song.mp3.ab12cd34.part~", ".song.mp3.ab12-d34.part"}) {
        EXPECT_FALSE(IsPartName(other)) << other;
    }
}

class StalePartsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("kestrune-parts-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // A file of that name, last changed Age ago.
    std::filesystem::path Make(const std::string& Name, std::chrono::seconds Age) const {
        const auto path = dir / Name;
        std::ofstream(path) << "audio";
        std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - Age);
        return path;
    }

    std::filesystem::path dir;
};

// A rip killed on the way left its part; the next file made in that folder
// takes it away, and nothing else: not a part that a live writer holds (a
// paused rip does not change its file for minutes), not one just made, not a
// file of the user's.
TEST_F(StalePartsTest, TheNextOutputInTheFolderRemovesPartsWhoseWriterHasGone) {
    using namespace std::chrono_literals;
    const auto dead = Make(".killed.mp3.a1b2c3d4.part", 10min);
    const auto held = Make(".paused.mp3.e5f6g7h8.part", 10min);
    const auto young = Make(".starting.mp3.i9j0k1l2.part", 0s);
    const auto users = Make(".notes.part", 10min);
    const auto upper = Make(".song.mp3.ABCDEFGH.part", 10min);
    const int writer = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);

    FileStream out((dir / "next.mp3").string());
    const std::string text = "new";
    out.Write(std::as_bytes(std::span(text.data(), text.size())));
    out.Finish();
    ::close(writer);

    EXPECT_FALSE(std::filesystem::exists(dead));
    for (const auto& kept : {held, young, users, upper}) {
        EXPECT_TRUE(std::filesystem::exists(kept)) << kept;
    }
    EXPECT_TRUE(std::filesystem::exists(dir / "next.mp3"));
}

// A writer's own part is locked from the start, so a second writer in the
// folder never takes it for a dead one's.
TEST_F(StalePartsTest, AWritersPartIsHeldWhileItIsWritten) {
    FileStream out((dir / "song.mp3").string());
    std::filesystem::path part;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        part = entry.path();
    }
    ASSERT_TRUE(IsPartName(part.filename().string())) << part;
    const int other = ::open(part.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0);
    ::close(other);
    out.Abandon();
}

} // namespace
} // namespace kestrune::platform
