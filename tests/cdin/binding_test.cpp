#include "cdin/discread_binding.h"
#include "platform/ini_file.h"
#include "tests/cdin/cd_in_fixture.h"
#include "tests/support/library_file_name.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kestrune::test {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Points the loader at another file for one test.
class LibraryName : public LibraryFileName<&SetRipLibraryFileName> {
public:
    explicit LibraryName(std::string Name) : LibraryFileName(std::move(Name), "libdiscread.so") {}
};

class BindingTest : public CDInTest {
protected:
    std::string Directory() const { return images.Folder().string() + "/"; }
    std::filesystem::path Settings() const { return images.Folder() / "discread.ini"; }
};

TEST_F(BindingTest, ResolvesTheFortyTwoNamesInOrder) {
    UseDrives({images.Make("a", {"audio:10f"})});
    LoadRipLibrary(Directory());
    ASSERT_TRUE(RipLibraryLoaded());
    EXPECT_EQ(RipLibraryNames.size(), 42u);
    EXPECT_EQ(RipLibraryNames.front(), "DR_Init");
    EXPECT_EQ(RipLibraryNames[16], "DR_RipChunk");
    EXPECT_EQ(RipLibraryNames.back(), "DR_ScanForC2Errors");
    EXPECT_NE(RipLibraryEntry(16), nullptr);
    EXPECT_NE(RipLibraryEntry(2), nullptr) << "DR_GetDiscReadVersion";
    EXPECT_EQ(RipLibraryEntry(4), nullptr) << "DR_GetActiveCDROM is not ours to have";
}

TEST_F(BindingTest, SettingsFileGetsTheTwoKeysAndKeepsEverythingElse) {
    std::ofstream(Settings(), std::ios::binary)
        << "[Other]\r\nkey=value\r\n[CD-ROM]\r\nnActive=5\r\nnSpeed=8\r\n";
    UseDrives({images.Make("a", {"audio:10f"})});
    LoadRipLibrary(Directory());
    EXPECT_EQ(ReadFile(Settings()), "[Other]\r\nkey=value\r\n[CD-ROM]\r\nnActive=0\r\nnSpeed=8\r\n"
                                    "nTransportLayer=1\r\n");
    // A second load writes the same again and leaves the file as it is.
    LoadRipLibrary(Directory());
    EXPECT_EQ(ReadFile(Settings()), "[Other]\r\nkey=value\r\n[CD-ROM]\r\nnActive=0\r\nnSpeed=8\r\n"
                                    "nTransportLayer=1\r\n");
    EXPECT_TRUE(RipLibraryLoaded());
}

TEST_F(BindingTest, UnwritableSettingsFileRaisesWithItsPath) {
    std::filesystem::create_directory(Settings());
    try {
        LoadRipLibrary(Directory());
        FAIL() << "no error for an unwritable settings file";
    } catch (const platform::IniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + Settings().string());
    }
    EXPECT_TRUE(RipLibraryLoaded());
}

TEST_F(BindingTest, MissingLibraryWritesNothingAndTheSourceSaysSo) {
    UnloadRipLibrary();
    EXPECT_FALSE(RipLibraryLoaded());
    {
        const LibraryName missing("libdiscread-missing.so");
        LoadRipLibrary(Directory());
        EXPECT_FALSE(std::filesystem::exists(Settings()));
        EXPECT_EQ(MessageOf([] { MakeComponent<TCDIn>(); }), "discread.dll could not be loaded.");
    }
    // Another library lacks the entry points we call: it does not count as loaded.
    {
        const LibraryName foreign("libm.so.6");
        LoadRipLibrary(Directory());
        EXPECT_FALSE(RipLibraryLoaded());
        EXPECT_FALSE(std::filesystem::exists(Settings()));
    }
    UseDrives({images.Make("a", {"audio:10f"})});
    EXPECT_NO_THROW(MakeComponent<TCDIn>());
    EXPECT_TRUE(RipLibraryLoaded());
}

TEST_F(BindingTest, LastEntryIsTheLeadOut) {
    const auto source = Source({images.Make("a", {"audio:10f", "audio:25f"})});
    ASSERT_EQ(source->TrackCount(), 2);
    EXPECT_EQ(ReadTocEntry(2).StartSector, 35);
    EXPECT_EQ(ReadTocEntry(1).StartSector, 10);
}

} // namespace
} // namespace kestrune::test
