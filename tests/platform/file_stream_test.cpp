#include "platform/file_stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <unistd.h>

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

TEST_F(FileStreamTest, CreatesAnewWritesAndOverwritesInPlace) {
    const auto path = dir / "out.bin";
    { std::ofstream(path) << "old content that is longer"; }
    FileStream stream(path.string());
    stream.Write(Bytes("hello "));
    stream.Write(Bytes("world"));
    stream.WriteAt(0, Bytes("J"));
    EXPECT_EQ(stream.Size(), 11u);
    EXPECT_THROW(stream.WriteAt(8, Bytes("long")), std::system_error);
    stream.Close();
    EXPECT_EQ(ReadAll(path), "Jello world");
    EXPECT_THROW(stream.Write(Bytes("x")), std::system_error);
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

TEST_F(FileStreamTest, RemoveFileReportsWhetherItRemoved) {
    const auto path = dir / "gone.bin";
    std::ofstream(path) << "x";
    EXPECT_TRUE(RemoveFile(path.string()));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(RemoveFile(path.string()));
}

} // namespace
} // namespace kestrune::platform
