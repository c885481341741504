#include "discread.h"
#include "tests/support/disc_images.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kestrune::test {
namespace {

constexpr std::int32_t Sector = 2352;

class DiscReadTest : public ::testing::Test {
protected:
    void Init(const std::vector<std::string>& drives, const std::string& settings = {}) {
        UseDrives(drives);
        DR_Init(settings.empty() ? nullptr : settings.c_str());
    }
    void TearDown() override { DR_DeInit(); }

    std::vector<std::byte> Rip(std::int32_t& error) {
        std::vector<std::byte> all;
        std::vector<std::uint8_t> chunk(176400);
        for (;;) {
            std::int32_t bytes = -1;
            std::int32_t abort = 0;
            error = DR_RipChunk(chunk.data(), &bytes, &abort);
            if (error != DR_OK || bytes == 0) {
                return all;
            }
            const auto* data = reinterpret_cast<const std::byte*>(chunk.data());
            all.insert(all.end(), data, data + bytes);
        }
    }

    DiscImages images;
};

TEST_F(DiscReadTest, TableOfContentsGivesStartsFlagsNumbersAndTheLeadOut) {
    const auto cue =
        images.Make("flags", {"audio:100f:sine", "audio:50f:silence,dcp", "audio:40f:noise=2,pre",
                              "audio:30f,dcp,pre,pregap=10f", "data:60f"});
    Init({cue});
    ASSERT_EQ(DR_ReadToc(), DR_OK);
    ASSERT_EQ(DR_GetNumTocEntries(), 5);
    const std::int32_t starts[] = {0, 100, 150, 200, 230, 290};
    const std::uint8_t flags[] = {0x10, 0x12, 0x11, 0x13, 0x14};
    for (int i = 0; i < 5; ++i) {
        const TTocEntry entry = DR_GetTocEntry(i);
        EXPECT_EQ(entry.StartSector, starts[i]) << i;
        EXPECT_EQ(entry.Flag, flags[i]) << i;
        EXPECT_EQ(entry.TrackNumber, i + 1);
    }
    const TTocEntry leadOut = DR_GetTocEntry(5);
    EXPECT_EQ(leadOut.StartSector, 290);
    EXPECT_EQ(leadOut.TrackNumber, 0xAA);
    EXPECT_EQ(DR_GetTocEntry(6).StartSector, 0);
    EXPECT_EQ(DR_GetTocEntry(-1).Flag, 0);
}

TEST_F(DiscReadTest, DrivesComeFromTheEnvironmentAndAMissingImageHoldsNoDisc) {
    const auto cue = images.Make("one", {"audio:10f"});
    Init({cue, images.Missing("gone"), images.Garbage("junk")});
    ASSERT_EQ(DR_GetNumCDROM(), 3);

    std::int32_t status = -1;
    EXPECT_EQ(DR_IsMediaLoaded(&status), DR_OK);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(DR_IsAudioPlaying(), 0);

    ASSERT_EQ(DR_SetActiveCDROM(1), DR_OK);
    EXPECT_EQ(DR_IsMediaLoaded(&status), DR_OK);
    EXPECT_NE(status, 0);
    EXPECT_NE(DR_ReadToc(), DR_OK);
    EXPECT_EQ(DR_GetNumTocEntries(), 0);

    // A file that is there but holds no table: a disc, but an unreadable one.
    ASSERT_EQ(DR_SetActiveCDROM(2), DR_OK);
    EXPECT_EQ(DR_IsMediaLoaded(&status), DR_OK);
    EXPECT_EQ(status, 0);
    EXPECT_NE(DR_ReadToc(), DR_OK);

    EXPECT_EQ(DR_SetActiveCDROM(3), DR_ERR_ARGUMENT);
    EXPECT_EQ(DR_SetActiveCDROM(-1), DR_ERR_ARGUMENT);
}

TEST_F(DiscReadTest, SettingsFileChoosesTheDriveToStartWith) {
    const auto settings = (images.Folder() / "discread.ini").string();
    std::ofstream(settings) << "[CD-ROM]\nnActive=1\nnParanoiaMode=0\n";
    Init({images.Make("a", {"audio:10f"}), images.Missing("b")}, settings);
    std::int32_t status = 0;
    ASSERT_EQ(DR_IsMediaLoaded(&status), DR_OK);
    EXPECT_NE(status, 0);
}

TEST_F(DiscReadTest, RipperDeliversTheRangeChunkByChunkExactlyAndNotItsEnd) {
    const auto cue = images.Make("noise", {"audio:200f:noise=5"});
    Init({cue});
    ASSERT_EQ(DR_ReadToc(), DR_OK);
    std::int32_t chunk = 176400;
    ASSERT_EQ(DR_OpenRipper(&chunk, 10, 160), DR_OK);
    EXPECT_EQ(chunk, 176400);

    std::vector<std::uint8_t> buffer(176400);
    std::int32_t bytes = 0;
    std::int32_t abort = 0;
    ASSERT_EQ(DR_RipChunk(buffer.data(), &bytes, &abort), DR_OK);
    EXPECT_EQ(bytes, 75 * Sector);
    ASSERT_EQ(DR_RipChunk(buffer.data(), &bytes, &abort), DR_OK);
    EXPECT_EQ(bytes, 75 * Sector);
    const auto expected = DiscImages::Sectors(cue, 85, 160);
    EXPECT_EQ(std::memcmp(buffer.data(), expected.data(), expected.size()), 0);
    for (int again = 0; again < 2; ++again) {
        ASSERT_EQ(DR_RipChunk(buffer.data(), &bytes, &abort), DR_OK);
        EXPECT_EQ(bytes, 0);
    }

    ASSERT_EQ(DR_OpenRipper(&chunk, 0, 200), DR_OK);
    std::int32_t error = DR_OK;
    EXPECT_EQ(Rip(error), DiscImages::Sectors(cue, 0, 200));
    EXPECT_EQ(error, DR_OK);
}

TEST_F(DiscReadTest, ChunkSizeIsLoweredToWholeSectorsButNeverRaised) {
    Init({images.Make("small", {"audio:20f"})});
    std::int32_t chunk = 10000;
    ASSERT_EQ(DR_OpenRipper(&chunk, 0, 20), DR_OK);
    EXPECT_EQ(chunk, 4 * Sector);
    std::vector<std::uint8_t> buffer(10000);
    std::int32_t bytes = 0;
    std::int32_t abort = 0;
    ASSERT_EQ(DR_RipChunk(buffer.data(), &bytes, &abort), DR_OK);
    EXPECT_EQ(bytes, 4 * Sector);

    chunk = Sector - 1;
    EXPECT_EQ(DR_OpenRipper(&chunk, 0, 20), DR_ERR_ARGUMENT);
    chunk = Sector;
    EXPECT_EQ(DR_OpenRipper(&chunk, 10, 5), DR_ERR_ARGUMENT);
}

TEST_F(DiscReadTest, ReadsPastTheEndOfTheDiscFailInsteadOfPassingForSilence) {
    Init({images.Make("short", {"audio:200f"})});
    std::int32_t chunk = 176400;
    ASSERT_EQ(DR_OpenRipper(&chunk, 190, 210), DR_OK);
    std::int32_t error = DR_OK;
    EXPECT_TRUE(Rip(error).empty());
    EXPECT_EQ(error, DR_ERR_READ);
}

TEST_F(DiscReadTest, ImageCutShortKeepsItsTracksAndFailsWhereTheDataEnds) {
    // The cue lists 150 sectors; the .bin holds 80.
    const auto cue = images.Make("cut", {"audio:100f:noise=9", "audio:50f"}, 70);
    Init({cue});
    ASSERT_EQ(DR_ReadToc(), DR_OK);
    ASSERT_EQ(DR_GetNumTocEntries(), 2);
    EXPECT_EQ(DR_GetTocEntry(1).StartSector, 100);
    std::int32_t chunk = 176400;
    ASSERT_EQ(DR_OpenRipper(&chunk, 0, 100), DR_OK);
    std::int32_t error = DR_OK;
    const auto read = Rip(error);
    EXPECT_EQ(error, DR_ERR_READ);
    EXPECT_EQ(read, DiscImages::Sectors(cue, 0, 75));
}

TEST_F(DiscReadTest, AHugeSheetIsNotReadToTellWhetherAFileIsTheDiscs) {
    // 600 MB that call themselves a sheet, one line with no end; the .bin beside
    // it stays the disc's all the same.
    const auto cue = (images.Folder() / "huge.cue").string();
    const auto bin = (images.Folder() / "huge.bin").string();
    std::ofstream(cue) << "FILE \"huge.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                       << std::string(2000, 'x');
    std::filesystem::resize_file(cue, 600ull << 20);
    std::ofstream(bin) << std::string(Sector * 10, '\0');
    Init({cue});
    const pid_t child = ::fork();
    if (child == 0) {
        std::int32_t sheet = 0;
        std::int32_t data = 0;
        const bool answered =
            DR_ReadsFile(cue.c_str(), &sheet) == DR_OK && DR_ReadsFile(bin.c_str(), &data) == DR_OK;
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        // The peak in KiB: far below the sheet's size.
        ::_exit(answered && sheet == 1 && data == 1 ? (usage.ru_maxrss < (100 << 10) ? 0 : 2) : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: a wrong answer, 2: the sheet was read into memory";
}

TEST_F(DiscReadTest, ADataFileCutDuringTheRipFailsAtTheSectorItNowEndsAt) {
    // Cut past what the reading ahead can have read after one chunk was taken
    // (the first chunk and four seconds more): the chunks up to the cut still
    // come, and the one that holds the new end fails naming it. A reading told
    // to give unreadable sectors as silence fails all the same: an image that
    // has lost its end is no damaged disc, read directly or through paranoia
    // (which reads far ahead of its own: its image is longer, and cut later).
    for (const bool verified : {false, true}) {
        const std::int32_t length = verified ? 3000 : 900;
        const std::int32_t cut = verified ? 2500 : 500;
        for (const int skip : {0, 1}) {
            SCOPED_TRACE("through paranoia " + std::to_string(verified) + ", skipping " +
                         std::to_string(skip));
            const auto cue =
                images.Make("shrinks", {"audio:" + std::to_string(length) + "f:noise=3"});
            const auto bin = (images.Folder() / "shrinks.bin").string();
            if (verified) {
                ::setenv("DISCREAD_PARANOIA", "1", 1);
            }
            Init({cue});
            ::unsetenv("DISCREAD_PARANOIA");
            ASSERT_EQ(DR_ReadToc(), DR_OK);
            ASSERT_EQ(DR_SetSkipUnreadable(skip), DR_OK);
            std::int32_t chunk = 176400;
            ASSERT_EQ(DR_OpenRipper(&chunk, 0, length), DR_OK);
            std::vector<std::uint8_t> buffer(176400);
            std::int32_t bytes = 0;
            std::int32_t abort = 0;
            ASSERT_EQ(DR_RipChunk(buffer.data(), &bytes, &abort), DR_OK);
            ASSERT_EQ(bytes, 75 * Sector);
            std::filesystem::resize_file(bin, static_cast<std::uintmax_t>(cut) * Sector);
            std::int32_t chunks = 1;
            std::int32_t code = DR_OK;
            while ((code = DR_RipChunk(buffer.data(), &bytes, &abort)) == DR_OK && bytes > 0) {
                ++chunks;
            }
            EXPECT_EQ(code, DR_ERR_READ);
            // Paranoia verifies a sector with the 32 after it: unless the
            // chunk before the cut is read again plainly, it fails too.
            EXPECT_EQ(chunks, cut / 75 - (verified && skip == 0 ? 1 : 0));
            std::vector<char> text(512);
            DR_GetLastErrorText(text.data(), static_cast<std::int32_t>(text.size()));
            EXPECT_EQ(std::string(text.data()), "sector " + std::to_string(cut) + " is not in \"" +
                                                    bin + "\", which ends before it");
            EXPECT_EQ(DR_GetUnreadable(nullptr, 0), 0);
            DR_SetSkipUnreadable(0);
            DR_DeInit();
        }
    }
}

TEST_F(DiscReadTest, DrivesAreNamedByTheirPathAndOnlyDevicesByAModel) {
    // An image has no model to report, nor has a device node that cannot be
    // opened; an index past the list is refused.
    const std::string image = images.Make("named", {"audio:10f"});
    Init({image, "/dev/kestrune-no-such-drive"});
    ASSERT_EQ(DR_GetNumCDROM(), 2);
    std::vector<char> text(256, 'x');
    EXPECT_EQ(DR_GetDriveName(0, text.data(), static_cast<std::int32_t>(text.size())),
              static_cast<std::int32_t>(image.size()));
    EXPECT_EQ(std::string(text.data()), image);
    EXPECT_EQ(DR_GetDriveModel(0, text.data(), static_cast<std::int32_t>(text.size())), 0);
    EXPECT_EQ(std::string(text.data()), "");
    EXPECT_EQ(DR_GetDriveModel(1, nullptr, 0), 0);
    EXPECT_EQ(DR_GetDriveModel(2, text.data(), static_cast<std::int32_t>(text.size())), -1);
    EXPECT_EQ(DR_GetDriveName(-1, nullptr, 0), -1);
}

TEST_F(DiscReadTest, ClosingWithNothingOpenIsHarmless) {
    Init({images.Make("idle", {"audio:10f"})});
    EXPECT_EQ(DR_CloseRipper(), DR_OK);
    EXPECT_EQ(DR_CloseRipper(), DR_OK);
    std::vector<std::uint8_t> buffer(Sector);
    std::int32_t bytes = 99;
    std::int32_t abort = 0;
    EXPECT_EQ(DR_RipChunk(buffer.data(), &bytes, &abort), DR_ERR_NOT_OPEN);
    EXPECT_EQ(bytes, 0);
}

} // namespace
} // namespace kestrune::test
