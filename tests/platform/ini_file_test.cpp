#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

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

} // namespace
} // namespace kestrune::platform
