#include "metadata/accuraterip.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace kestrune::metadata {
namespace {

using ::testing::HasSubstr;

const AccurateRipDisc Disc{2, 0x0001a2b3, 0x00c4d5e6, 0x0e01f402};

void Put(std::string& Bytes, std::uint32_t Word) {
    for (int shift = 0; shift < 32; shift += 8) {
        Bytes += static_cast<char>(Word >> shift & 0xFFU);
    }
}

std::string Chunk(const AccurateRipDisc& Of, std::uint8_t Confidence, std::uint32_t First,
                  std::uint32_t Second) {
    std::string bytes(1, static_cast<char>(Of.Tracks));
    Put(bytes, Of.Id1);
    Put(bytes, Of.Id2);
    Put(bytes, Of.FreeDb);
    for (const std::uint32_t crc : {First, Second}) {
        bytes += static_cast<char>(Confidence);
        Put(bytes, crc);
        Put(bytes, crc ^ 0xFFFFFFFFU);
    }
    return bytes;
}

std::string ErrorOf(const std::string& Body) {
    try {
        (void)ParseAccurateRipAnswer(Body, Disc);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "(read)";
}

// The folders are id1's last three digits, last first, as the service files them.
TEST(AccurateRipTest, TheAddressNamesTheDiscsFile) {
    EXPECT_EQ(AccurateRipUrl("http://ar.example/", Disc),
              "http://ar.example/accuraterip/3/b/2/dBAR-002-0001a2b3-00c4d5e6-0e01f402.bin");
    EXPECT_THROW((void)AccurateRipUrl("http://ar.example", {0, 1, 2, 3}), std::invalid_argument);
}

// Every chunk is a pressing; the words are little-endian, a confidence over
// 127 stays positive.
TEST(AccurateRipTest, EachChunkIsAPressingWithAnEntryPerTrack) {
    const auto pressings = ParseAccurateRipAnswer(
        Chunk(Disc, 200, 0x11223344, 0xA0B0C0D0) + Chunk(Disc, 3, 0x55667788, 0x99AABBCC), Disc);
    ASSERT_EQ(pressings.size(), 2u);
    ASSERT_EQ(pressings[0].size(), 2u);
    EXPECT_EQ(pressings[0][0].Confidence, 200);
    EXPECT_EQ(pressings[0][0].Crc, 0x11223344u);
    EXPECT_EQ(pressings[0][0].FrameCrc, 0xEEDDCCBBu);
    EXPECT_EQ(pressings[0][1].Crc, 0xA0B0C0D0u);
    EXPECT_EQ(pressings[1][0].Confidence, 3);
    EXPECT_EQ(pressings[1][1].Crc, 0x99AABBCCu);
}

// An answer cut short, one of another disc (a wrong id in any chunk, or
// another track count) and an empty one are refused, never half read.
TEST(AccurateRipTest, AnswersThatAreNotTheDiscsAreRefused) {
    const std::string whole = Chunk(Disc, 1, 1, 2);
    EXPECT_THAT(ErrorOf(whole + whole.substr(0, whole.size() - 1)),
                HasSubstr("could not be read: it ends inside a chunk, 30 bytes of 31"));
    AccurateRipDisc other = Disc;
    other.Id2 += 1;
    EXPECT_THAT(ErrorOf(whole + Chunk(other, 1, 1, 2)), HasSubstr("chunk 2 is of another disc"));
    std::string count = whole;
    count[0] = 3;
    EXPECT_THAT(ErrorOf(count), HasSubstr("chunk 1 is of another disc"));
    EXPECT_THAT(ErrorOf(""), HasSubstr("it is empty"));
}

} // namespace
} // namespace kestrune::metadata
