#include "metadata/ctdb.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace kestrune::metadata {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string ErrorOf(const std::string& Body) {
    try {
        (void)ParseCtdbAnswer(Body);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "(read)";
}

TEST(CtdbAnswer, EntriesAreReadWithOrWithoutTheServicesNamespace) {
    // As the service answers: its namespace, attributes in any order, album
    // data beside the entries and an entry's own children left alone.
    const std::vector<CtdbEntry> served = ParseCtdbAnswer(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<ctdb xmlns=\"http://db.cuetools.net/ns/mmd-1.0#\" "
        "xmlns:ext=\"http://db.cuetools.net/ns/ext-1.0#\">\n"
        "  <entry id=\"1\" crc32=\"a1b2c3d4\" confidence=\"17\" npar=\"16\" stride=\"5880\" "
        "trackcrcs=\"0011aaff 22ff0000  \"/>\n"
        "  <entry confidence=\"3\" crc32=\"FFFFFFFF\"><entry confidence=\"x\"/></entry>\n"
        "  <musicbrainz artist=\"A &amp; B\"><track name=\"t\"/></musicbrainz>\n"
        "</ctdb>\n");
    ASSERT_EQ(served.size(), 2u);
    EXPECT_EQ(served[0].Confidence, 17);
    EXPECT_EQ(served[0].Crc32, 0xA1B2C3D4U);
    EXPECT_THAT(served[0].TrackCrcs, ElementsAre(0x0011AAFFU, 0x22FF0000U));
    EXPECT_EQ(served[1].Confidence, 3);
    EXPECT_EQ(served[1].Crc32, 0xFFFFFFFFU);
    EXPECT_TRUE(served[1].TrackCrcs.empty());

    const std::vector<CtdbEntry> plain =
        ParseCtdbAnswer("<ctdb><entry confidence='2' crc32='1' trackcrcs='2 3'/></ctdb>");
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_THAT(plain[0].TrackCrcs, ElementsAre(2U, 3U));
    EXPECT_TRUE(ParseCtdbAnswer("<ctdb/>").empty());
}

TEST(CtdbAnswer, AnAnswerThatIsNotWholeOrNotTheServicesIsRefused) {
    const std::string entry = "<entry confidence=\"4\" crc32=\"1\" trackcrcs=\"5 6\"/>";
    EXPECT_THAT(ErrorOf("<ctdb>" + entry), HasSubstr("it is not XML"));
    EXPECT_THAT(ErrorOf("<ctdb>" + entry + "</ctdb><ctdb/>"), HasSubstr("it is not XML"));
    EXPECT_THAT(ErrorOf(""), HasSubstr("it is not XML"));
    EXPECT_THAT(ErrorOf("<html><body>" + entry + "</body></html>"),
                HasSubstr("it is <html>, not <ctdb>"));
    // A figure that is no number, or none at all, would be guessed at.
    EXPECT_THAT(ErrorOf("<ctdb>" + entry + "<entry crc32=\"1\"/></ctdb>"),
                HasSubstr("entry 2 has no confidence or CRC32 that is a number"));
    EXPECT_THAT(ErrorOf("<ctdb><entry confidence=\"-1\" crc32=\"1\"/></ctdb>"),
                HasSubstr("entry 1 has no confidence"));
    EXPECT_THAT(ErrorOf("<ctdb><entry confidence=\"1\" crc32=\"1ffffffff\"/></ctdb>"),
                HasSubstr("entry 1 has no confidence or CRC32"));
    EXPECT_THAT(ErrorOf("<ctdb><entry confidence=\"1\" crc32=\"1\" trackcrcs=\"5 -6\"/></ctdb>"),
                HasSubstr("entry 1's track CRC32 \"-6\" is no number"));
    EXPECT_THAT(ErrorOf("<ctdb>" + entry + "</ctdb>"), "(read)");
    EXPECT_THAT(ErrorOf("<ctdb"), ::testing::StartsWith("The CTDB answer could not be read: "));
}

TEST(CtdbAnswer, TheLookupAsksForChecksumsOfTheTable) {
    EXPECT_EQ(CtdbLookupUrl("http://db.example/", "0:11413:-45713:55220"),
              "http://db.example/lookup2.php?version=3&ctdb=1&fuzzy=1&metadata=none&toc="
              "0:11413:-45713:55220");
    EXPECT_EQ(
        CtdbLookupUrl("http://db.example/ctdb", "0:100"),
        "http://db.example/ctdb/lookup2.php?version=3&ctdb=1&fuzzy=1&metadata=none&toc=0:100");
}

} // namespace
} // namespace kestrune::metadata
