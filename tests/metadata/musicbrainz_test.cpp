#include "metadata/musicbrainz.h"

#include "answer_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kestrune::metadata {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// The disc of the crafted answer: the only medium of a Greek album, the
// second disc of its Japanese two-disc edition, and not on a vinyl-and-CD
// release listed between them.
const std::string Disc = "fchRwSrO7XuQd6oRGPnwSH5eOn8-";
const std::string Greek = "8d9ed67d-fa9b-4ee7-8ce9-655229cbd207";
const std::string Japanese = "6158e00c-406c-4c42-abc0-0189cd28781f";
const std::string Singer = "af1db571-0adf-4da1-92d4-f7d10f590456";
const std::string Orchestra = "365df722-d5ac-4535-affb-30daeeb326cd";
const std::string Guest = "d3767035-de8a-4601-8f22-2196f0a9c291";

std::string CraftedAnswer() {
    return test::AnswerFixture::AnswerFile("/ws/2/discid/" + Disc + ".json");
}

std::vector<std::string> Titles(const AlbumMetadata& Album) {
    std::vector<std::string> titles;
    for (const TrackMetadata& track : Album.Tracks) {
        titles.push_back(track.Title);
    }
    return titles;
}

// Each release that holds the disc is an entry, in MusicBrainz's order; the
// one whose media do not list it is left out.
TEST(DiscIdAnswerTest, ReadsEachReleaseThatHoldsTheDisc) {
    const std::vector<AlbumMetadata> albums = ParseDiscIdAnswer(CraftedAnswer(), Disc);
    ASSERT_EQ(albums.size(), 2U);
    EXPECT_EQ(albums[0].ReleaseId, Greek);
    EXPECT_EQ(albums[1].ReleaseId, Japanese);
}

// The album and its tracks as a tagger needs them: the credits joined with
// their phrases, the texts unchanged, what MusicBrainz left null empty.
TEST(DiscIdAnswerTest, ReadsTheAlbumAndItsTracks) {
    const AlbumMetadata album = ParseDiscIdAnswer(CraftedAnswer(), Disc).at(0);
    EXPECT_EQ(album.Title, "Τραγούδια της θάλασσας");
    EXPECT_EQ(album.Artist, "Ελένη Σταυρίδου & Ορχήστρα της Κω");
    EXPECT_THAT(album.ArtistIds, ElementsAre(Singer, Orchestra));
    EXPECT_EQ(album.Date, "1998-11-23");
    EXPECT_EQ(album.Country, "GR");
    EXPECT_EQ(album.Catalogue, "");
    EXPECT_EQ(album.ReleaseGroupId, "0b423057-0f22-422f-a443-73f25dc9c87c");
    EXPECT_EQ(album.Source, "MusicBrainz");
    EXPECT_EQ(album.DiscNumber, 1);
    EXPECT_EQ(album.DiscCount, 1);
    ASSERT_EQ(album.Tracks.size(), 3U);
    EXPECT_THAT(Titles(album), ElementsAre("Το κύμα", "Νύχτα στο λιμάνι", "Ο γλάρος"));
    // A recording with several codes gives its first; one with none gives none.
    EXPECT_EQ(album.Tracks[0].Isrc, "GRA019800101");
    EXPECT_EQ(album.Tracks[1].Isrc, "");

    const TrackMetadata& last = album.Tracks[2];
    EXPECT_EQ(last.Number, 3);
    EXPECT_EQ(last.Artist, "Ελένη Σταυρίδου");
    EXPECT_THAT(last.ArtistIds, ElementsAre(Singer));
    EXPECT_EQ(last.ReleaseTrackId, "6b0d549b-6f03-475a-9600-a35a099950d8");
    EXPECT_EQ(last.RecordingId, "8d116ece-1738-47d9-bd9c-172411e20b8f");
}

// In a set the tracks are those of the disc's own medium, numbered within
// it, and the disc knows its place in the set.
TEST(DiscIdAnswerTest, TakesTheMediumThatHoldsTheDisc) {
    const AlbumMetadata album = ParseDiscIdAnswer(CraftedAnswer(), Disc).at(1);
    EXPECT_EQ(album.Title, "海の歌 (デラックス・エディション)");
    EXPECT_EQ(album.DiscNumber, 2);
    EXPECT_EQ(album.DiscCount, 2);
    EXPECT_EQ(album.DiscTitle, "オリジナル・アルバム");
    EXPECT_EQ(album.Catalogue, "4988001234567");
    EXPECT_EQ(album.ReleaseGroupId, "");
    ASSERT_EQ(album.Tracks.size(), 3U);
    EXPECT_THAT(Titles(album), ElementsAre("波", "港の夜", "カモメ"));
    EXPECT_EQ(album.Tracks[0].Number, 1);
    EXPECT_EQ(album.Tracks[0].RecordingId, "7f150524-34b9-45df-9e77-69b10f4205b4");
    EXPECT_EQ(album.Tracks[2].Artist, "エレニ・スタヴリドゥ feat. 陳美玲");
    EXPECT_THAT(album.Tracks[2].ArtistIds, ElementsAre(Singer, Guest));
}

// A broken or cut-off answer must end in the service's message, never in a
// half-filled album or a crash; the message says what was wrong.
TEST(DiscIdAnswerTest, RefusesWhatIsNoLookupAnswer) {
    const std::string release = R"({"id": "r", "title": "t", "media": [{"position": 1,
        "discs": [{"id": ")" + Disc +
                                R"("}], "tracks": [{"position": 1, "title": "a"}, )";
    const std::vector<std::pair<std::string, std::string>> cases{
        {CraftedAnswer().substr(0, 5000), "not JSON"},
        {"[]", "no lookup answer"},
        {R"({"error": "Not Found"})", "the answer has no releases"},
        {R"({"releases": [{"id": "r", "title": "t"}]})", "release 1 has no media"},
        {R"({"releases": [)" + release + R"({"position": 2}]}]}]})",
         "track 2 of medium 1 of release 1 has no title"},
        {R"({"releases": [)" + release + R"({"position": "2", "title": "b"}]}]}]})",
         "the position of track 2 of medium 1 of release 1 is not a position"},
    };
    for (const auto& [json, why] : cases) {
        SCOPED_TRACE(why);
        try {
            static_cast<void>(ParseDiscIdAnswer(json, Disc));
            ADD_FAILURE() << "The answer was read.";
        } catch (const std::runtime_error& error) {
            EXPECT_THAT(error.what(), StartsWith("The MusicBrainz answer could not be read: "));
            EXPECT_THAT(error.what(), HasSubstr(why));
        }
    }
}

// The address users give may end in a slash; the disc id goes into the path
// as it is, so a text that could change the path is refused.
TEST(DiscIdLookupUrlTest, BuildsTheLookupAddress) {
    const std::string expected =
        "https://musicbrainz.org/ws/2/discid/" + Disc +
        "?inc=recordings+artist-credits+release-groups+isrcs&fmt=json&cdstubs=no";
    EXPECT_EQ(DiscIdLookupUrl(DefaultMusicBrainzUrl, Disc), expected);
    EXPECT_EQ(DiscIdLookupUrl("https://musicbrainz.org/", Disc), expected);
    EXPECT_THROW(static_cast<void>(DiscIdLookupUrl(DefaultMusicBrainzUrl, "../../release/x")),
                 std::invalid_argument);
}

using LookUpDiscTest = test::AnswerFixture;

// The whole way: the service is asked the right question and its answer read.
TEST_F(LookUpDiscTest, AsksTheServiceAndReadsItsAnswer) {
    const std::vector<AlbumMetadata> albums = LookUpDisc(Client, Server.Url("/"), Disc);
    const nlohmann::json request = Server.RecordOf("/ws/2/discid/" + Disc);
    EXPECT_EQ(request["query"],
              "inc=recordings+artist-credits+release-groups+isrcs&fmt=json&cdstubs=no");
    ASSERT_EQ(albums.size(), 2U);
    EXPECT_EQ(albums[1].ReleaseId, Japanese);
}

// A disc MusicBrainz does not know is no error: the rip goes on without names.
TEST_F(LookUpDiscTest, AnUnknownDiscHasNoEntry) {
    EXPECT_TRUE(LookUpDisc(Client, Server.Url(""), "UNi0qUHCa4lILJSrMktaJ0.c7WY-").empty());
}

// A busy service (503) is not an unknown disc: the user hears which status came.
TEST_F(LookUpDiscTest, AnotherStatusIsAnError) {
    try {
        static_cast<void>(LookUpDisc(Client, Server.Url("/status/503"), Disc));
        ADD_FAILURE() << "The lookup succeeded.";
    } catch (const HttpError& error) {
        EXPECT_EQ(error.Reason(), HttpFailure::UnexpectedStatus);
        EXPECT_THAT(error.what(), HasSubstr("503"));
    }
}

} // namespace
} // namespace kestrune::metadata
