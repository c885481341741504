// Nero images and .iso files: tracks read back to the byte, every offset checked.

#include "tests/discread/image_fixture.h"

#include <filesystem>
#include <fstream>

namespace kestrune::test {
namespace {

class NrgImage : public ImageTest {
protected:
    std::string Write(const std::string& Bytes, const std::string& Name = "crafted.nrg") {
        const auto path = (images.Folder() / Name).string();
        std::ofstream(path, std::ios::binary) << Bytes;
        return path;
    }
    std::string Refusal(const std::string& Bytes) {
        const auto image = Write(Bytes);
        EXPECT_EQ(Load(image), DR_ERR_TOC);
        const std::string prefix = "Cannot open disc image \"" + image + "\": ";
        const std::string text = LastError();
        return text.starts_with(prefix) ? text.substr(prefix.size()) : "(wrong prefix) " + text;
    }
    static std::string Be(std::uint64_t Value, int Bytes) {
        std::string text;
        for (int i = Bytes - 1; i >= 0; --i) {
            text += static_cast<char>((Value >> (8 * i)) & 0xFF);
        }
        return text;
    }
    static std::string Chunk(const std::string& Id, const std::string& Body) {
        return Id + Be(Body.size(), 4) + Body;
    }
    // A version-2 image of Data followed by Chunks.
    static std::string Nrg2(const std::string& Data, const std::string& Chunks) {
        return Data + Chunks + "NER5" + Be(Data.size(), 8);
    }
    static std::string Dao(int First, int Last, const std::string& Tracks) {
        return std::string(20, '\0') + static_cast<char>(First) + static_cast<char>(Last) + Tracks;
    }
    static std::string DaoTrack(std::uint64_t Index0, std::uint64_t Index1, std::uint64_t End,
                                int SectorBytes = 2352) {
        return std::string(12, '\0') + Be(SectorBytes, 2) + std::string("\x07\0\0\0", 4) +
               Be(Index0, 8) + Be(Index1, 8) + Be(End, 8);
    }
};

TEST_F(NrgImage, BothVersionsGiveTheTableAndTheExactBytesOfEveryTrack) {
    for (const int version : {1, 2}) {
        SCOPED_TRACE(version);
        auto disc = DiscImages::Spec({"audio:30f:noise=1,dcp,isrc=GBAYE0000001",
                                      "audio:20f:sine=500,pre,pregap=5f",
                                      "audio:10f:noise=2,gap=3f", "data:8f"});
        disc.Sheet = mkdisc::SheetKind::Nrg;
        disc.NrgVersion = version;
        disc.FirstTrack = 4;
        ASSERT_EQ(Load(images.Make("v" + std::to_string(version), disc)), DR_OK) << LastError();
        ExpectDisc(disc);
        DR_DeInit();
    }
}

TEST_F(NrgImage, CraftedImagesAreRefusedInsteadOfReadOutsideTheFile) {
    const std::string sector(2352, 'a');
    const std::string end = Chunk("END!", "");
    // What once ended the program with SIGSEGV: 144 bytes with a footer that
    // points into them, and a chunk that claims more than there is.
    EXPECT_EQ(Refusal(std::string(132, '\0') + "NER5" + Be(100, 8)),
              "its chunk list ends without END!");
    EXPECT_EQ(Refusal(Nrg2("", "DAOX" + Be(1000, 4))),
              "its chunk \"DAOX\" runs past the end of the file");
    EXPECT_EQ(Refusal(Nrg2("", std::string("\x01\x02\x03\x04", 4) + Be(0xFFFFFFFF, 4))),
              "its chunk \"????\" runs past the end of the file");
    EXPECT_EQ(Refusal(std::string(144, 'x')), "it is not a Nero image (no NER5 or NERO footer)");
    EXPECT_EQ(Refusal(std::string(10, '\0') + "NER5" + Be(1ull << 62, 8)),
              "its footer points past the end of the file");
    EXPECT_EQ(Refusal(Nrg2("", Chunk("DAOX", "") + end)),
              "its DAO chunk has a size no DAO chunk has");
    EXPECT_EQ(Refusal(Nrg2("", Chunk("SINF", Be(1, 4)))), "its chunk list ends without END!");
    EXPECT_EQ(Refusal(Nrg2(sector, end)),
              "it holds no track list (no DAOI, DAOX, ETNF or ETN2 chunk)");
    EXPECT_EQ(Refusal(Nrg2(sector, Chunk("DAOX", Dao(1, 2, DaoTrack(0, 0, 2352))) + end)),
              "its DAO chunk lists tracks 1 to 2 in 1 entries");
    // Offsets past the data, overlapping tracks, torn sectors, odd sector sizes.
    EXPECT_EQ(Refusal(Nrg2(sector, Chunk("DAOX", Dao(1, 1, DaoTrack(0, 0, 1ull << 40))) + end)),
              "track 1 lies outside the image's data or overlaps the track before it");
    EXPECT_EQ(
        Refusal(Nrg2(sector + sector,
                     Chunk("DAOX", Dao(1, 2, DaoTrack(0, 0, 4704) + DaoTrack(2352, 2352, 4704))) +
                         end)),
        "track 2 lies outside the image's data or overlaps the track before it");
    EXPECT_EQ(Refusal(Nrg2(sector, Chunk("DAOX", Dao(1, 1, DaoTrack(0, 0, 2000))) + end)),
              "track 1 is not a whole number of sectors");
    EXPECT_EQ(Refusal(Nrg2(sector, Chunk("DAOX", Dao(1, 1, DaoTrack(0, 0, 2352, 2448))) + end)),
              "track 1 has sectors of 2448 bytes, which cannot be read");
    EXPECT_EQ(Refusal(Nrg2(sector, Chunk("DAOX", Dao(1, 1, DaoTrack(0, 0, 2352, 0))) + end)),
              "track 1 lies outside the image's data or overlaps the track before it");

    // The smallest sound image reads back.
    const auto image = Write(Nrg2(sector, Chunk("DAOX", Dao(1, 1, DaoTrack(0, 0, 2352))) + end));
    ASSERT_EQ(Load(image), DR_OK) << LastError();
    std::int32_t error = -1;
    const auto bytes = Rip(0, 1, error);
    EXPECT_EQ(error, DR_OK);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), sector);
}

TEST_F(NrgImage, AnIsoIsADiscWithOneDataTrackThatIsNotReadAsAudio) {
    const auto iso = Write(std::string(2048 * 20, 'd'), "plain.iso");
    ASSERT_EQ(Load(iso), DR_OK) << LastError();
    ASSERT_EQ(DR_GetNumTocEntries(), 1);
    EXPECT_EQ(DR_GetTocEntry(0).Flag, 0x14);
    EXPECT_EQ(DR_GetTocEntry(0).TrackNumber, 1);
    EXPECT_EQ(DR_GetTocEntry(1).StartSector, 20);
    std::int32_t error = -1;
    std::string why;
    EXPECT_TRUE(Rip(0, 20, error, &why).empty());
    EXPECT_EQ(error, DR_ERR_READ);
    EXPECT_EQ(why, "sector 0 belongs to a data track stored without its raw sector frames");

    EXPECT_EQ(Load(Write("", "empty.iso")), DR_ERR_TOC);
}

} // namespace
} // namespace kestrune::test
