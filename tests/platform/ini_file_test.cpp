#include "platform/ini_file.h"

#include "platform/file_lock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kestrune::platform {
namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir =
            std::filesystem::temp_directory_path() / ("kestrune-ini-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        path = (dir / "settings.ini").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    void Write(const std::string& text) const { std::ofstream(path, std::ios::binary) << text; }
    std::string Read() const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path dir;
    std::string path;
};

TEST_F(IniFileTest, ReplacesOnlyTheValueAndKeepsEveryOtherByte) {
    Write("; drive settings\r\n[Other]\r\nnActive=7\r\n\r\n[cd-rom]\r\n  NACTIVE = 3 \r\n"
          "nSpeed=max\r\n[Tail]\r\nx=1");
    WriteIniString(path, "CD-ROM", "nActive", "0");
    EXPECT_EQ(Read(),
              "; drive settings\r\n[Other]\r\nnActive=7\r\n\r\n[cd-rom]\r\n  NACTIVE = 0\r\n"
              "nSpeed=max\r\n[Tail]\r\nx=1");
}

// A value is read where the writer would replace it: in its own section
// only, names in any case, without the blanks around it.
TEST_F(IniFileTest, AValueIsReadFromItsOwnSectionAsTheWriterFindsIt) {
    EXPECT_FALSE(ReadIniString(path, "Read offsets", "A"));
    Write(
        "[Other]\r\nACME CD-42=9\r\n[read OFFSETS]\r\n  acme cd-42 =  +6 \r\nB=\r\n[Tail]\r\nC=1");
    EXPECT_EQ(ReadIniString(path, "Read offsets", "ACME CD-42"), "+6");
    EXPECT_EQ(ReadIniString(path, "Read offsets", "B"), "");
    EXPECT_FALSE(ReadIniString(path, "Read offsets", "C"));
    EXPECT_FALSE(ReadIniString(path, "Missing", "ACME CD-42"));
    WriteIniString(path, "Read offsets", "ACME CD-42", "-1200");
    EXPECT_EQ(ReadIniString(path, "Read offsets", "ACME CD-42"), "-1200");
    // Something that is no settings file is refused, not read for ever.
    EXPECT_THROW((void)ReadIniString("/dev/zero", "Read offsets", "A"), IniWriteError);
}

TEST_F(IniFileTest, MissingKeyGoesAtTheEndOfItsSectionInTheFilesLineBreaks) {
    Write("[CD-ROM]\r\nnActive=0\r\n\r\n[Tail]\r\nx=1\r\n");
    WriteIniString(path, "CD-ROM", "nTransportLayer", "1");
    EXPECT_EQ(Read(), "[CD-ROM]\r\nnActive=0\r\nnTransportLayer=1\r\n\r\n[Tail]\r\nx=1\r\n");
}

TEST_F(IniFileTest, MissingSectionIsAppendedAndAMissingFileCreated) {
    Write("[Tail]\nx=1");
    WriteIniString(path, "CD-ROM", "nActive", "0");
    EXPECT_EQ(Read(), "[Tail]\nx=1\n[CD-ROM]\nnActive=0\n");

    std::filesystem::remove(path);
    WriteIniString(path, "CD-ROM", "nActive", "0");
    WriteIniString(path, "CD-ROM", "nTransportLayer", "1");
    EXPECT_EQ(Read(), "[CD-ROM]\nnActive=0\nnTransportLayer=1\n");
}

TEST_F(IniFileTest, UnwritableFileRaisesWithItsPath) {
    // A directory in the file's place cannot be written, not even by root.
    std::filesystem::create_directory(path);
    try {
        WriteIniString(path, "CD-ROM", "nActive", "0");
        FAIL() << "wrote into a directory";
    } catch (const IniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
}

TEST_F(IniFileTest, AValueAlreadyThereIsNotWrittenAgain) {
    Write("[CD-ROM]\nnActive=0\n");
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    WriteIniString(path, "cd-rom", "NACTIVE", "0");
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "rewritten although nothing changed";

    // A change lands as a new file renamed into place, never as a rewrite in place.
    WriteIniString(path, "CD-ROM", "nActive", "1");
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);
    EXPECT_EQ(Read(), "[CD-ROM]\nnActive=1\n");
}

TEST_F(IniFileTest, WritersSideBySideLoseNoKey) {
    Write("[User]\nkeep=this\n");
    constexpr int Writers = 20;
    std::vector<std::thread> writers;
    for (int w = 0; w < Writers; ++w) {
        writers.emplace_back([&, w] {
            for (int round = 0; round < 5; ++round) {
                WriteIniString(path, "CD-ROM", "k" + std::to_string(w), std::to_string(round));
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    const std::string text = Read();
    EXPECT_EQ(text.rfind("[User]\nkeep=this\n[CD-ROM]\n", 0), 0u) << text;
    for (int w = 0; w < Writers; ++w) {
        const std::string line = "\nk" + std::to_string(w) + "=4\n";
        EXPECT_NE(text.find(line), std::string::npos) << "lost " << line << " in\n" << text;
    }
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3 + Writers) << text;
    // No temporary file stays behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(IniFileTest, AMissingFolderRaisesWithThePath) {
    const std::string missing = (dir / "nowhere" / "settings.ini").string();
    try {
        WriteIniString(missing, "CD-ROM", "nActive", "0");
        FAIL() << "wrote into a missing folder";
    } catch (const IniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + missing);
    }
}

// Something that is not a settings file under the settings file's name: a
// FIFO would block the read for ever, /dev/zero never ends, a huge file is
// no one's settings. Each is refused at once and left as it is.
TEST_F(IniFileTest, OnlyARegularFileOfASettingsFilesSizeIsRead) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_THROW(WriteIniString(path, "CD-ROM", "nActive", "0"), IniWriteError);
    EXPECT_TRUE(std::filesystem::is_fifo(path));
    std::filesystem::remove(path);

    std::filesystem::create_symlink("/dev/zero", path);
    EXPECT_THROW(WriteIniString(path, "CD-ROM", "nActive", "0"), IniWriteError);
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    std::filesystem::remove(path);

    Write(std::string(MaxIniBytes + 1, ';'));
    EXPECT_THROW(WriteIniString(path, "CD-ROM", "nActive", "0"), IniWriteError);
    EXPECT_EQ(std::filesystem::file_size(path), MaxIniBytes + 1);
}

// Another program that holds the folder's lock and never lets go.
TEST_F(IniFileTest, ALockHeldForTooLongIsGivenUp) {
    const int holder = ::open(dir.c_str(), O_RDONLY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    try {
        const FileLock lock(dir.string(), std::chrono::milliseconds(50));
        ADD_FAILURE() << "the lock was taken while another one held it";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), std::errc::timed_out);
        EXPECT_NE(std::string(e.what()).find(dir.string()), std::string::npos) << e.what();
    }
    ::close(holder);
    const FileLock lock(dir.string(), std::chrono::milliseconds(50));
}

} // namespace
} // namespace kestrune::platform
