// kestrune-rip names and tags a disc from MusicBrainz, asked on a loopback
// server with crafted answers: which source wins, which release is taken,
// the cover, and a service that fails, which must never fail the rip.

#include "tests/metadata/answer_server.h"
#include "tests/support/disc_images.h"
#include "tests/tools/rip_process.h"
#include "tests/tools/tag_reader.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

namespace kestrune::test {
namespace {

using nlohmann::json;

constexpr const char* FirstRelease = "11111111-2222-4333-8444-555555555555";
constexpr const char* SecondRelease = "66666666-7777-4888-9999-aaaaaaaaaaaa";
constexpr const char* Singer = "af1db571-0adf-4da1-92d4-f7d10f590456";

json Credit(const std::string& Name, const std::string& Id) {
    return json::array({{{"name", Name}, {"joinphrase", ""}, {"artist", {{"id", Id}}}}});
}

// A release as the discid lookup lists it, the disc on its only medium.
json Release(const std::string& Id, const std::string& Title, const std::string& DiscId,
             const std::vector<std::string>& Tracks) {
    json tracks = json::array();
    for (std::size_t index = 0; index < Tracks.size(); ++index) {
        const std::string n = std::to_string(index + 1);
        json recording = {{"id", "00000000-0000-4000-8000-00000000000" + n}};
        if (index == 0) {
            recording["isrcs"] = json::array({"GRA019800101"});
        }
        tracks.push_back({{"position", index + 1},
                          {"id", "10000000-0000-4000-8000-00000000000" + n},
                          {"title", Tracks[index]},
                          {"recording", recording}});
    }
    return {{"id", Id},
            {"title", Title},
            {"date", "1998-11-23"},
            {"country", "GR"},
            {"artist-credit", Credit("Ελένη Σταυρίδου", Singer)},
            {"release-group", {{"id", "0b423057-0f22-422f-a443-73f25dc9c87c"}}},
            {"media", json::array({{{"position", 1},
                                    {"discs", json::array({{{"id", DiscId}}})},
                                    {"tracks", tracks}}})}};
}

void WriteFile(const std::filesystem::path& File, const std::string& Text) {
    std::filesystem::create_directories(File.parent_path());
    std::ofstream(File, std::ios::binary) << Text;
}

class RipLookup : public ::testing::Test {
protected:
    RipLookup() {
        ::setenv("XDG_CONFIG_HOME", (images.Folder() / "config").c_str(), 1);
        // The tests' environment keeps every rip offline; these ask their own server.
        ::unsetenv("KESTRUNE_OFFLINE");
        // An Enhanced CD: its disc id is its audio session's, whichever tracks are ripped.
        auto disc = DiscImages::Spec({"audio:1:melody=1@-10,title=CD-Text one",
                                      "audio:1:melody=2@-10,title=CD-Text two",
                                      "audio:1:melody=3@-10", "data:1"});
        disc.Title = "CD-Text album";
        disc.Performer = "CD-Text artist";
        Sheet = images.Make("album", disc);
        DiscId = DiscIdOf(Sheet);
        const json answer = {
            {"id", DiscId},
            {"releases",
             json::array({Release(FirstRelease, "Τραγούδια της θάλασσας", DiscId,
                                  {"Το κύμα", "Νύχτα στο λιμάνι", ""}),
                          Release(SecondRelease, "海の歌", DiscId, {"波", "港の夜", "カモメ"})})}};
        WriteFile(Answers / "ws/2/discid" / (DiscId + ".json"), answer.dump());
        // The same lookup answered with something that is no JSON.
        WriteFile(Answers / "broken/ws/2/discid" / (DiscId + ".json"), "{\"releases\": [");
        Cover = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(1000, 'p');
        WriteFile(Answers / "release" / FirstRelease / "front.png", Cover);
    }
    ~RipLookup() override { ::setenv("KESTRUNE_OFFLINE", "1", 1); }

    std::string Path(const std::string& Name) const { return (images.Folder() / Name).string(); }
    std::filesystem::path Logs() const { return images.Folder() / "logs"; }

    // The disc id as --list prints it.
    std::string DiscIdOf(const std::string& Image) {
        RipProcess list({"--disc", Image, "--list", "--offline"}, Logs());
        EXPECT_EQ(list.Wait(), 0) << list.Err();
        std::smatch found;
        const std::string out = list.Out();
        if (!std::regex_search(out, found, std::regex("MusicBrainz disc id: (\\S+)"))) {
            ADD_FAILURE() << out;
            return {};
        }
        return found[1];
    }

    // Rips every track with Extra options, asking the loopback server.
    RipProcess RipAll(const std::string& Pattern, const std::vector<std::string>& Extra,
                      const std::string& MusicBrainz = "") {
        std::vector<std::string> words{"--disc",
                                       Sheet,
                                       "--all",
                                       "-o",
                                       Path(Pattern),
                                       "--musicbrainz-url",
                                       MusicBrainz.empty() ? Server.Url("") : MusicBrainz,
                                       "--coverart-url",
                                       Server.Url(""),
                                       "--accuraterip-url",
                                       Server.Url("/none"),
                                       "--ctdb-url",
                                       Server.Url("/none")};
        words.insert(words.end(), Extra.begin(), Extra.end());
        return RipProcess(words, Logs());
    }

    DiscImages images;
    std::filesystem::path Answers = images.Folder() / "answers";
    std::string Sheet;
    std::string DiscId;
    std::string Cover;
    AnswerServer Server{(images.Folder() / "answers").string()};
};

TEST_F(RipLookup, MusicBrainzNamesAndTagsTheFilesAndTheDiscFillsWhatItLacks) {
    RipProcess rip = RipAll("%n %t.mp3", {});
    ASSERT_EQ(rip.Wait(), 0) << rip.Err();
    EXPECT_NE(rip.Err().find("Tags from MusicBrainz release 1 of 2: Τραγούδια της θάλασσας by "
                             "Ελένη Σταυρίδου (1998-11-23, GR), "
                             "11111111-2222-4333-8444-555555555555"),
              std::string::npos)
        << rip.Err();
    // The request asked what the tags need, as the service's rules ask.
    const json request = Server.RecordOf("/ws/2/discid/" + DiscId);
    EXPECT_EQ(request["query"], "inc=recordings+artist-credits+release-groups+isrcs&fmt=json&"
                                "cdstubs=no");
    EXPECT_EQ(request["agent"].get<std::string>().rfind("kestrune/", 0), 0u);

    const auto first = ReadId3v2(Path("01 Το κύμα.mp3"));
    EXPECT_EQ(first.at("TIT2"), "Το κύμα");
    EXPECT_EQ(first.at("TALB"), "Τραγούδια της θάλασσας");
    EXPECT_EQ(first.at("TPE1"), "Ελένη Σταυρίδου");
    EXPECT_EQ(first.at("TDRC"), "1998-11-23");
    EXPECT_EQ(first.at("TSRC"), "GRA019800101");
    EXPECT_EQ(first.at("TXXX:MusicBrainz Album Id"), FirstRelease);
    EXPECT_EQ(first.at("TXXX:MusicBrainz Disc Id"), DiscId);
    EXPECT_EQ(first.at("TXXX:MusicBrainz Release Group Id"),
              "0b423057-0f22-422f-a443-73f25dc9c87c");
    EXPECT_EQ(first.at("UFID:http://musicbrainz.org"), "00000000-0000-4000-8000-000000000001");
    EXPECT_EQ(first.count("APIC:"), 0u) << "a cover nobody asked for";
    // MusicBrainz has no title for the third track: the disc has none either,
    // so the name's default stands; the second takes MusicBrainz's title.
    EXPECT_EQ(ReadId3v2(Path("02 Νύχτα στο λιμάνι.mp3")).at("TIT2"), "Νύχτα στο λιμάνι");
    EXPECT_TRUE(std::filesystem::exists(Path("03 Track 03.mp3")));
}

TEST_F(RipLookup, ADiscWithoutCdTextIsTaggedFromMusicBrainzAloneTrackByTrackToo) {
    // The same table without texts: the same disc id, so the same answer.
    const auto bare = images.Make(
        "bare", {"audio:1:melody=1@-10", "audio:1:melody=2@-10", "audio:1:melody=3@-10", "data:1"});
    ASSERT_EQ(DiscIdOf(bare), DiscId);
    RipProcess rip({"--disc", bare, "--track", "2", "--quiet", "-o", Path("%b - %t.mp3"),
                    "--musicbrainz-url", Server.Url("")},
                   Logs());
    ASSERT_EQ(rip.Wait(), 0) << rip.Err();
    const auto tags = ReadId3v2(Path("Τραγούδια της θάλασσας - Νύχτα στο λιμάνι.mp3"));
    EXPECT_EQ(tags.at("TIT2"), "Νύχτα στο λιμάνι");
    EXPECT_EQ(tags.at("TPE2"), "Ελένη Σταυρίδου");
    EXPECT_EQ(tags.at("TRCK"), "2/3");
    EXPECT_EQ(tags.at("TXXX:MusicBrainz Release Track Id"), "10000000-0000-4000-8000-000000000002");
}

TEST_F(RipLookup, ThePreferredSourceAndTheChosenReleaseWin) {
    // The disc's texts first; MusicBrainz still gives what the disc lacks.
    RipProcess cdText = RipAll("c%n.mp3", {"--prefer-cdtext", "--quiet"});
    ASSERT_EQ(cdText.Wait(), 0) << cdText.Err();
    const auto first = ReadId3v2(Path("c01.mp3"));
    EXPECT_EQ(first.at("TIT2"), "CD-Text one");
    EXPECT_EQ(first.at("TALB"), "CD-Text album");
    EXPECT_EQ(first.at("TDRC"), "1998-11-23");
    EXPECT_EQ(first.at("TXXX:MusicBrainz Album Id"), FirstRelease);
    EXPECT_EQ(ReadId3v2(Path("c03.mp3")).count("TIT2"), 0u);

    // By number and by id.
    for (const std::string wanted : {"2", SecondRelease}) {
        RipProcess second = RipAll("r%n.mp3", {"--release", wanted, "--quiet"});
        ASSERT_EQ(second.Wait(), 0) << second.Err();
        const auto third = ReadId3v2(Path("r03.mp3"));
        EXPECT_EQ(third.at("TIT2"), "カモメ") << wanted;
        EXPECT_EQ(third.at("TALB"), "海の歌") << wanted;
        EXPECT_EQ(third.at("TXXX:MusicBrainz Album Id"), SecondRelease) << wanted;
    }

    // A release the disc does not have is refused before anything is written.
    RipProcess missing = RipAll("m%n.mp3", {"--release", "3"});
    EXPECT_EQ(missing.Wait(), 2);
    EXPECT_NE(missing.Err().find("--release 3: MusicBrainz lists 2 releases of this disc"),
              std::string::npos)
        << missing.Err();
    EXPECT_FALSE(std::filesystem::exists(Path("m01.mp3")));
}

TEST_F(RipLookup, TheFrontCoverGoesIntoEveryFile) {
    RipProcess rip = RipAll("%n.mp3", {"--cover", "--quiet"});
    ASSERT_EQ(rip.Wait(), 0) << rip.Err();
    for (const char* name : {"01.mp3", "03.mp3"}) {
        EXPECT_EQ(ReadId3v2(Path(name)).at("APIC:"), "image/png " + std::to_string(Cover.size()))
            << name;
    }
    // A release the archive has no cover of: a warning, and the files without one.
    RipProcess none = RipAll("n%n.mp3", {"--cover", "--release", "2", "--quiet"});
    ASSERT_EQ(none.Wait(), 0) << none.Err();
    EXPECT_NE(none.Err().find("warning: "), std::string::npos) << none.Err();
    EXPECT_EQ(ReadId3v2(Path("n01.mp3")).count("APIC:"), 0u);
}

TEST_F(RipLookup, AServiceThatFailsIsAWarningAndTheDiscsTextsAreUsed) {
    // Nobody listening, an error status, an answer that is no JSON, a disc the
    // service does not know.
    const struct {
        std::string base;
        const char* said;
    } failures[] = {
        {"http://127.0.0.1:1", "kestrune-rip: warning: Could not get http://127.0.0.1:1/ws/2/"},
        {Server.Url("/status/503"), "with status 503"},
        {Server.Url("/broken"), "The MusicBrainz answer could not be read"},
        {Server.Url("/nothing"), "MusicBrainz knows no release of this disc"},
    };
    int run = 0;
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.base);
        const std::string prefix = "f" + std::to_string(++run) + "-";
        RipProcess rip = RipAll(prefix + "%n %t.mp3", {}, failure.base);
        ASSERT_EQ(rip.Wait(), 0) << rip.Err();
        EXPECT_NE(rip.Err().find(failure.said), std::string::npos) << rip.Err();
        const auto first = ReadId3v2(Path(prefix + "01 CD-Text one.mp3"));
        EXPECT_EQ(first.at("TALB"), "CD-Text album");
        EXPECT_EQ(first.count("TXXX:MusicBrainz Album Id"), 0u);
    }
    // --offline asks nobody.
    RipProcess offline = RipAll("o%n.mp3", {"--offline"}, "http://127.0.0.1:1");
    ASSERT_EQ(offline.Wait(), 0) << offline.Err();
    EXPECT_EQ(offline.Err().find("warning"), std::string::npos) << offline.Err();
}

TEST_F(RipLookup, ListShowsTheReleasesNumberedAsReleaseTakesThem) {
    RipProcess list({"--disc", Sheet, "--list", "--musicbrainz-url", Server.Url("")}, Logs());
    ASSERT_EQ(list.Wait(), 0) << list.Err();
    EXPECT_NE(list.Out().find("MusicBrainz releases:\n"
                              "  1  11111111-2222-4333-8444-555555555555  Τραγούδια της θάλασσας "
                              "by Ελένη Σταυρίδου (1998-11-23, GR)\n"
                              "  2  66666666-7777-4888-9999-aaaaaaaaaaaa  海の歌 by Ελένη "
                              "Σταυρίδου (1998-11-23, GR)\n"),
              std::string::npos)
        << list.Out();
}

} // namespace
} // namespace kestrune::test
