#include "platform/file_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kestrune::platform {
namespace {

std::span<const std::byte> Bytes(const std::string& text) {
    return std::as_bytes(std::span(text.data(), text.size()));
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FileStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("kestrune-stream-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
};

// Everything in the folder but the given names: temporary files left behind show here.
std::vector<std::string> Others(const std::filesystem::path& dir, std::vector<std::string> known) {
    std::vector<std::string> others;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const auto name = entry.path().filename().string();
        if (std::find(known.begin(), known.end(), name) == known.end()) {
            others.push_back(name);
        }
    }
    return others;
}

TEST_F(FileStreamTest, TargetChangesOnlyWhenTheNewFileIsFinished) {
    const auto path = dir / "out.bin";
    { std::ofstream(path) << "old content that is longer"; }
    FileStream stream(path.string());
    ASSERT_TRUE(stream.CanRewrite());
    stream.Write(Bytes("hello "));
    stream.Write(Bytes("world"));
    stream.WriteAt(0, Bytes("J"));
    EXPECT_EQ(stream.Size(), 11u);
    EXPECT_THROW(stream.WriteAt(8, Bytes("long")), std::system_error);
    EXPECT_EQ(ReadAll(path), "old content that is longer") << "written in place";
    EXPECT_EQ(Others(dir, {"out.bin"}).size(), 1u) << "the bytes go to one temporary file";
    stream.Finish();
    EXPECT_EQ(ReadAll(path), "Jello world");
    EXPECT_TRUE(Others(dir, {"out.bin"}).empty());
    EXPECT_THROW(stream.Write(Bytes("x")), std::system_error);
}

TEST_F(FileStreamTest, AnAbandonedStreamLeavesTheOldFileAndNoTemporaryOne) {
    const auto kept = dir / "kept.mp3";
    { std::ofstream(kept) << "the user's file"; }
    {
        FileStream stream(kept.string());
        stream.Write(Bytes("half a rip"));
        stream.Abandon();
    }
    {
        FileStream dropped(kept.string());
        dropped.Write(Bytes("destroyed unfinished"));
    }
    const auto fresh = dir / "fresh.mp3";
    {
        FileStream stream(fresh.string());
        stream.Write(Bytes("x"));
        EXPECT_FALSE(std::filesystem::exists(fresh)) << "a new name appears only when finished";
    }
    EXPECT_EQ(ReadAll(kept), "the user's file");
    EXPECT_FALSE(std::filesystem::exists(fresh));
    EXPECT_TRUE(Others(dir, {"kept.mp3"}).empty());
}

TEST_F(FileStreamTest, ATargetWithTheLongestNameStillGetsItsTemporaryFile) {
    const auto path = dir / std::string(255, 'n');
    FileStream stream(path.string());
    stream.Write(Bytes("long"));
    stream.Finish();
    EXPECT_EQ(ReadAll(path), "long");
}

TEST_F(FileStreamTest, ANameTheFolderCannotHoldIsRefusedBeforeAnythingIsWritten) {
    // The temporary name is cut to fit, so only the final rename would fail:
    // after the whole rip.
    const auto path = dir / std::string(256, 'n');
    try {
        FileStream stream(path.string());
        FAIL() << "took a name of 256 bytes";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), std::errc::filename_too_long);
        EXPECT_NE(std::string(e.what()).find(path.string()), std::string::npos);
    }
    EXPECT_TRUE(Others(dir, {}).empty());
}

TEST_F(FileStreamTest, AReplacedFileKeepsItsLinkAndPermissions) {
    const auto real = dir / "real.mp3";
    const auto link = dir / "link.mp3";
    { std::ofstream(real) << "old"; }
    std::filesystem::permissions(real, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
    std::filesystem::create_symlink(real, link);
    FileStream stream(link.string());
    stream.Write(Bytes("new"));
    stream.Finish();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadAll(real), "new");
    EXPECT_EQ(std::filesystem::status(real).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
}

TEST_F(FileStreamTest, DevicesAndPipesAreWrittenDirectlyAndCannotBeRewritten) {
    FileStream null("/dev/null");
    EXPECT_FALSE(null.CanRewrite());
    null.Write(Bytes("gone"));
    EXPECT_THROW(null.WriteAt(0, Bytes("g")), std::system_error);
    null.Finish();

    const auto fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = ReadAll(fifo); });
    {
        FileStream pipe(fifo.string());
        EXPECT_FALSE(pipe.CanRewrite());
        pipe.Write(Bytes("through the pipe"));
        pipe.Finish();
    }
    reader.join();
    EXPECT_EQ(received, "through the pipe");
    EXPECT_TRUE(std::filesystem::is_fifo(fifo)) << "a pipe is never replaced by a file";
}

TEST_F(FileStreamTest, PlainFilesUnderDevAreReplacedAsAnywhereElse) {
    // What a name is decides, not where it lives: /dev/shm holds ordinary files.
    const auto shm = std::filesystem::path("/dev/shm") / ("kestrune-" + std::to_string(::getpid()));
    std::filesystem::create_directories(shm);
    const auto precious = shm / "k.mp3";
    const auto users = dir / "users.mp3";
    const auto link = shm / "link.mp3";
    { std::ofstream(precious) << "precious"; }
    { std::ofstream(users) << "the user's own"; }
    std::filesystem::create_symlink(users, link);
    for (const auto& target : {precious, link, shm / "new.mp3"}) {
        FileStream stream(target.string());
        EXPECT_TRUE(stream.CanRewrite()) << target;
        stream.Write(Bytes("half a rip"));
        stream.Abandon();
    }
    EXPECT_EQ(ReadAll(precious), "precious");
    EXPECT_EQ(ReadAll(users), "the user's own");
    EXPECT_FALSE(std::filesystem::exists(shm / "new.mp3"));
    {
        FileStream stream(link.string());
        stream.Write(Bytes("whole"));
        stream.Finish();
    }
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadAll(users), "whole");
    EXPECT_EQ(Others(shm, {"k.mp3", "link.mp3"}).size(), 0u);
    std::filesystem::remove_all(shm);
}

TEST_F(FileStreamTest, FailureToCreateNamesTheFile) {
    const auto path = dir / "missing" / "out.bin";
    try {
        FileStream stream(path.string());
        FAIL() << "created a file in a missing folder";
    } catch (const std::system_error& e) {
        EXPECT_NE(std::string(e.what()).find(path.string()), std::string::npos);
    }
}

TEST_F(FileStreamTest, FullDiskIsAnErrorNotAShortWrite) {
    FileStream stream("/dev/full");
    const std::string block(4096, 'x');
    EXPECT_THROW(stream.Write(Bytes(block)), std::system_error);
}

} // namespace
} // namespace kestrune::platform
