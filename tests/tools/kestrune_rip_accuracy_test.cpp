// kestrune-rip checks each written track against AccurateRip, asked on a
// loopback server whose answers are made here from checksums computed apart
// from the program: a match with either version in any pressing, no match,
// and answers that cannot be used, none of which may fail the rip unless the
// user demands accurate tracks.

#include "tests/metadata/answer_server.h"
#include "tests/support/disc_images.h"
#include "tests/tools/checksum_reference.h"
#include "tests/tools/rip_process.h"
#include "tools/mkdisc/image_writer.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace kestrune::test {
namespace {

// A track's v1, v2 and CUETools database checksums, as the reference computed them.
struct Sums {
    std::uint32_t V1 = 0;
    std::uint32_t V2 = 0;
    std::uint32_t Ctdb = 0;
};

std::uint32_t Hex(const std::string& Line, std::size_t At) {
    return static_cast<std::uint32_t>(std::stoul(Line.substr(At, 8), nullptr, 16));
}

// As the service writes checksums, and as the program does.
std::string Hex(std::uint32_t Value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", Value);
    return text;
}
std::string FormatHex(std::uint32_t Value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", Value);
    return text;
}

void Put(std::string& Bytes, std::uint32_t Word) {
    for (int shift = 0; shift < 32; shift += 8) {
        Bytes += static_cast<char>(Word >> shift & 0xFFU);
    }
}

// What AccurateRip's verdict line (or the CUETools database's) says of track Number.
std::string Verdict(const std::string& Err, int Number, bool Ctdb = false) {
    char track[16];
    std::snprintf(track, sizeof track, "Track %02d", Number);
    const std::regex line(std::string(track) +
                          " written to [^\\n]*\\n[^\\n]*\\n  AccurateRip: ([^\\n]*)\\n"
                          "  CTDB: ([^\\n]*)\\n");
    std::smatch found;
    return std::regex_search(Err, found, line) ? found.str(Ctdb ? 2 : 1) : "(not said)";
}

class RipAccuracy : public ::testing::Test {
protected:
    RipAccuracy() {
        ::setenv("XDG_CONFIG_HOME", (images.Folder() / "config").c_str(), 1);
        // The tests' environment keeps every rip offline; these ask their own server.
        ::unsetenv("KESTRUNE_OFFLINE");
        // An Enhanced CD: its ids count the audio tracks and end at the audio session.
        auto spec = DiscImages::Spec(
            {"audio:2:noise=1@-10", "audio:1:sine=440@-12", "audio:2:melody=3@-10", "data:1"});
        Sheet = images.Make("disc", spec);
        for (std::size_t index = 0; index < 3; ++index) {
            const std::int64_t start = mkdisc::TrackStart(spec, index);
            Ranges.push_back({start, mkdisc::TrackStart(spec, index + 1) - start,
                              index == 0   ? "first"
                              : index == 2 ? "last"
                                           : "-"});
        }
        Reference = ComputedApart((images.Folder() / "disc.bin").string(), Ranges);
        for (const std::string& line : Reference) {
            Tracks.push_back({Hex(line, 18), Hex(line, 27), Hex(line, 36)});
        }
        // The whole disc's audio is one range with both ends left out.
        const std::vector<std::string> disc = ComputedApart(
            (images.Folder() / "disc.bin").string(),
            {{Ranges.front().Start, Ranges.back().Start + Ranges.back().Sectors, "only"}});
        DiscCtdb = disc.empty() ? 0 : Hex(disc.front(), 36);
        for (std::size_t index = 0; index < 4; ++index) {
            Toc += (index == 3 ? "-" : "") + std::to_string(mkdisc::TrackStart(spec, index)) + ":";
        }
        Toc += std::to_string(mkdisc::TrackStart(spec, 4));
        ReadIds();
    }
    ~RipAccuracy() override {
        ::setenv("KESTRUNE_OFFLINE", "1", 1);
        ::unsetenv("DISCREAD_SIMULATE");
    }

    // The disc's AccurateRip ids as --list prints them: 003-id1-id2-freedb.
    void ReadIds() {
        RipProcess list({"--disc", Sheet, "--list", "--offline"}, Logs());
        EXPECT_EQ(list.Wait(), 0) << list.Err();
        std::smatch found;
        const std::string out = list.Out();
        ASSERT_TRUE(std::regex_search(out, found,
                                      std::regex("AccurateRip ids: 003-([0-9a-f]{8})-([0-9a-f]{8})-"
                                                 "([0-9a-f]{8})")))
            << out;
        Id1 = found[1];
        Id2 = found[2];
        FreeDb = found[3];
    }

    // The path the service keeps the disc's checksums under.
    std::string DiscPath() const {
        return std::string("/accuraterip/") + Id1[7] + "/" + Id1[6] + "/" + Id1[5] + "/dBAR-003-" +
               Id1 + "-" + Id2 + "-" + FreeDb + ".bin";
    }

    // A chunk of the answer: the disc's header, then each track's confidence and checksum.
    std::string Chunk(const std::array<std::pair<int, std::uint32_t>, 3>& Entries,
                      std::uint32_t Id1Change = 0) const {
        std::string bytes(1, '\3');
        Put(bytes, static_cast<std::uint32_t>(std::stoul(Id1, nullptr, 16)) + Id1Change);
        Put(bytes, static_cast<std::uint32_t>(std::stoul(Id2, nullptr, 16)));
        Put(bytes, static_cast<std::uint32_t>(std::stoul(FreeDb, nullptr, 16)));
        for (const auto& [confidence, crc] : Entries) {
            bytes += static_cast<char>(confidence);
            Put(bytes, crc);
            Put(bytes, 0);
        }
        return bytes;
    }

    // Serves Body as the disc's file under the base address Base.
    std::string Answering(const std::string& Base, const std::string& Body) {
        const std::filesystem::path file = Answers / (Base + DiscPath()).substr(1);
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << Body;
        return Server.Url(Base);
    }

    // Serves Xml as the CUETools database's lookup under the base address Base.
    std::string CtdbAnswering(const std::string& Base, const std::string& Xml) {
        const std::filesystem::path file = Answers / Base.substr(1) / "lookup2.php.xml";
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << Xml;
        return Server.Url(Base);
    }

    RipProcess Rip(const std::string& AccurateRip, const std::vector<std::string>& Extra,
                   const std::string& Ctdb = "") {
        std::vector<std::string> words{"--disc",
                                       Sheet,
                                       "-o",
                                       Path("t%n.mp3"),
                                       "--musicbrainz-url",
                                       Server.Url("/none"),
                                       "--accuraterip-url",
                                       AccurateRip,
                                       "--ctdb-url",
                                       Ctdb.empty() ? Server.Url("/none") : Ctdb};
        words.insert(words.end(), Extra.begin(), Extra.end());
        return RipProcess(words, Logs());
    }

    std::string Path(const std::string& Name) const { return (images.Folder() / Name).string(); }
    std::filesystem::path Logs() const { return images.Folder() / "logs"; }

    DiscImages images;
    std::filesystem::path Answers = images.Folder() / "answers";
    AnswerServer Server{Answers.string()};
    std::string Sheet;
    std::vector<ChecksumRange> Ranges; // the audio tracks' sectors
    // The reference's lines: CRC32, without silence, v1, v2, CUETools database.
    std::vector<std::string> Reference;
    std::vector<Sums> Tracks;
    std::uint32_t DiscCtdb = 0; // the whole disc's CUETools database CRC32
    std::string Toc;            // the table as the CUETools database is asked with it
    std::string Id1, Id2, FreeDb;
};

TEST_F(RipAccuracy, EachTrackMatchesEitherVersionInAnyPressingWithItsBestConfidence) {
    ASSERT_EQ(Tracks.size(), 3u) << "the reference ran";
    // v1 of every track from older rips; v2 of tracks 1 and 3 from newer
    // ones, whose track 2 is another pressing's; a pressing nobody matches.
    const std::string base = Answering(
        "/ar", Chunk({{{4, Tracks[0].V1}, {4, Tracks[1].V1}, {4, Tracks[2].V1}}}) +
                   Chunk({{{9, Tracks[0].V2}, {9, Tracks[1].V2 + 1}, {9, Tracks[2].V2}}}) +
                   Chunk({{{2, 0x12345678}, {2, 0x9ABCDEF0}, {2, 0x0FEDCBA9}}}));
    RipProcess all = Rip(base, {"--all", "--require-accurate"});
    ASSERT_EQ(all.Wait(), 0) << all.Err();
    EXPECT_EQ(Verdict(all.Err(), 1), "accurately ripped (confidence 9 of 15, v2)") << all.Err();
    EXPECT_EQ(Verdict(all.Err(), 2), "accurately ripped (confidence 4 of 15, v1)") << all.Err();
    EXPECT_EQ(Verdict(all.Err(), 3), "accurately ripped (confidence 9 of 15, v2)") << all.Err();
    // The service was asked where it files the disc, once for the whole run.
    EXPECT_EQ(Server.RecordOf("/ar" + DiscPath())["agent"].get<std::string>().rfind("kestrune/", 0),
              0u);

    // One track alone knows its place among the audio tracks.
    RipProcess one = Rip(base, {"--track", "2"});
    ASSERT_EQ(one.Wait(), 0) << one.Err();
    EXPECT_EQ(Verdict(one.Err(), 2), "accurately ripped (confidence 4 of 15, v1)") << one.Err();
}

// The log beside the files holds every figure the terminal showed, a line
// each, so that grep finds a track's.
TEST_F(RipAccuracy, TheLogHoldsEachTracksFiguresAndVerdict) {
    ASSERT_EQ(Tracks.size(), 3u) << "the reference ran";
    const std::string base = Answering(
        "/ar", Chunk({{{4, Tracks[0].V1}, {4, Tracks[1].V2 ^ 1}, {4, Tracks[2].V1}}}) +
                   Chunk({{{9, Tracks[0].V2}, {9, Tracks[1].V2 ^ 2}, {9, Tracks[2].V2}}}));
    RipProcess all = Rip(base, {"--all", "--quiet"});
    ASSERT_EQ(all.Wait(), 0) << all.Err();
    // The disc has no album title: the log is named after its FreeDB id.
    std::ifstream file(Path(FreeDb + ".log"));
    ASSERT_TRUE(file.good()) << "no log " << FreeDb << ".log";
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    const auto has = [&](const std::string& Line) {
        return std::find(lines.begin(), lines.end(), Line) != lines.end();
    };
    EXPECT_EQ(lines.front().rfind("kestrune-rip ", 0), 0u);
    EXPECT_TRUE(has("Read from: disc image " + Sheet));
    EXPECT_TRUE(has("Encoder: 128 kbit/s constant bit rate, quality 5, stereo"));
    EXPECT_TRUE(has("AccurateRip ids: 003-" + Id1 + "-" + Id2 + "-" + FreeDb));
    EXPECT_TRUE(has("AccurateRip answer: 2 sets of checksums"));
    for (std::size_t index = 0; index < 3; ++index) {
        const std::string number = std::to_string(index + 1);
        const std::string track = "Track 0" + number;
        const std::string& reference = Reference[index];
        EXPECT_TRUE(has(track + " file: " + Path("t0" + number + ".mp3"))) << track;
        EXPECT_TRUE(has(track + " CRC32 copy: " + reference.substr(0, 8) + ", without silence " +
                        reference.substr(9, 8)))
            << track;
        EXPECT_TRUE(has(track + " result: written")) << track;
    }
    EXPECT_TRUE(has("Track 01 AccurateRip v1 " + Reference[0].substr(18, 8) + ", v2 " +
                    Reference[0].substr(27, 8) + ": accurately ripped (confidence 9 of 13, v2)"));
    EXPECT_TRUE(has("Track 02 AccurateRip v1 " + Reference[1].substr(18, 8) + ", v2 " +
                    Reference[1].substr(27, 8) +
                    ": not accurately ripped: none of the 13 submissions in the database matches"));
    EXPECT_TRUE(has("Summary: 3 of 3 tracks written; 2 accurately ripped, 1 not accurately "
                    "ripped, 0 not verified; 0 damaged"))
        << lines.back();
}

TEST_F(RipAccuracy, TracksNoSubmissionMatchesFailOnlyARunThatDemandsAccuracy) {
    ASSERT_EQ(Tracks.size(), 3u) << "the reference ran";
    const std::string base =
        Answering("/wrong", Chunk({{{6, Tracks[0].V1 ^ 1}, {6, Tracks[1].V2 ^ 1}, {0, 0}}}));
    RipProcess plain = Rip(base, {"--all"});
    ASSERT_EQ(plain.Wait(), 0) << plain.Err();
    EXPECT_EQ(Verdict(plain.Err(), 1),
              "not accurately ripped: none of the 6 submissions in the database matches");
    EXPECT_EQ(Verdict(plain.Err(), 3),
              "not verified: the database holds no submission of this track");

    RipProcess strict = Rip(base, {"--all", "--require-accurate"});
    EXPECT_EQ(strict.Wait(), 3) << strict.Err();
    // Written all the same: the files are what the disc holds.
    for (const char* file : {"t01.mp3", "t02.mp3", "t03.mp3"}) {
        EXPECT_GT(std::filesystem::file_size(Path(file)), 10'000u) << file;
    }
}

TEST_F(RipAccuracy, AnswersThatCannotBeUsedLeaveTheTracksUnverifiedAndTheRipWhole) {
    ASSERT_EQ(Tracks.size(), 3u) << "the reference ran";
    const std::string whole = Chunk({{{5, Tracks[0].V2}, {5, Tracks[1].V2}, {5, Tracks[2].V2}}});
    struct Case {
        std::string Base;
        std::string Warning; // empty: none
        std::string Said;
    };
    const std::vector<Case> cases{
        // Not in the database: an answer in itself, and no warning.
        {Server.Url("/unknown"), "", "not verified: the disc is not in the database"},
        {Answering("/cut", whole + whole.substr(0, 20)), "it ends inside a chunk",
         "not verified: the database could not be asked"},
        {Answering("/other", whole + Chunk({{{5, 1}, {5, 2}, {5, 3}}}, 1)),
         "chunk 2 is of another disc", "not verified: the database could not be asked"},
        {Server.Url("/status/503"), "with status 503",
         "not verified: the database could not be asked"},
        {"http://127.0.0.1:9", "Could not get http://127.0.0.1:9/accuraterip/",
         "not verified: the database could not be asked"}};
    for (const Case& each : cases) {
        RipProcess rip = Rip(each.Base, {"--track", "1"});
        EXPECT_EQ(rip.Wait(), 0) << each.Base << "\n" << rip.Err();
        EXPECT_EQ(Verdict(rip.Err(), 1), each.Said) << each.Base << "\n" << rip.Err();
        if (each.Warning.empty()) {
            EXPECT_EQ(rip.Err().find("The tracks are not verified."), std::string::npos)
                << rip.Err();
        } else {
            EXPECT_NE(rip.Err().find(each.Warning), std::string::npos) << rip.Err();
            EXPECT_NE(rip.Err().find("The tracks are not verified."), std::string::npos);
        }
    }
    // Unverified is a failure only when accuracy is demanded.
    RipProcess strict = Rip(Server.Url("/unknown"), {"--track", "1", "--require-accurate"});
    EXPECT_EQ(strict.Wait(), 3) << strict.Err();
    EXPECT_TRUE(std::filesystem::exists(Path("t01.mp3")));
    // Offline asks nobody.
    RipProcess offline = Rip(Server.Url("/ar"), {"--track", "1", "--offline"});
    ASSERT_EQ(offline.Wait(), 0) << offline.Err();
    EXPECT_EQ(Verdict(offline.Err(), 1), "not verified: offline");
}

// The CUETools database's entries sum: each is a pressing (or a correction
// of one) that rips agreed on. The answer proves the tracks on its own, with
// AccurateRip not knowing the disc, and the whole disc once every track is in.
TEST_F(RipAccuracy, TheCuetoolsDatabaseVerifiesEachTrackAndTheWholeDisc) {
    ASSERT_EQ(Tracks.size(), 3u) << "the reference ran";
    const auto entry = [](int Confidence, std::uint32_t Crc, const std::string& TrackCrcs) {
        return "  <entry id=\"" + std::to_string(Confidence) + "\" crc32=\"" + Hex(Crc) +
               "\" confidence=\"" + std::to_string(Confidence) +
               "\" npar=\"8\" stride=\"5880\" trackcrcs=\"" + TrackCrcs + "\"/>\n";
    };
    const std::string ours =
        Hex(Tracks[0].Ctdb) + " " + Hex(Tracks[1].Ctdb) + " " + Hex(Tracks[2].Ctdb);
    // The service's own form: a declaration, its namespaces, album data beside the entries.
    const std::string base = CtdbAnswering(
        "/ctdb",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<ctdb xmlns=\"http://db.cuetools.net/ns/mmd-1.0#\" "
        "xmlns:ext=\"http://db.cuetools.net/ns/ext-1.0#\">\n" +
            entry(5, DiscCtdb, ours) +
            // Another pressing: track 2 differs, and so does the disc.
            entry(2, DiscCtdb ^ 1,
                  Hex(Tracks[0].Ctdb) + " " + Hex(Tracks[1].Ctdb ^ 4) + " " + Hex(Tracks[2].Ctdb)) +
            // The fuzzy lookup's entry of a table with two tracks counts for nothing here.
            entry(40, DiscCtdb, Hex(Tracks[0].Ctdb) + " " + Hex(Tracks[1].Ctdb)) +
            "  <musicbrainz artist=\"Someone\" album=\"Something\"><track name=\"x\"/>"
            "</musicbrainz>\n</ctdb>\n");
    RipProcess all = Rip(Server.Url("/unknown"), {"--all", "--require-accurate"}, base);
    ASSERT_EQ(all.Wait(), 0) << all.Err();
    EXPECT_EQ(Verdict(all.Err(), 1), "not verified: the disc is not in the database");
    EXPECT_EQ(Verdict(all.Err(), 1, true), "accurately ripped (confidence 7 of 7)") << all.Err();
    EXPECT_EQ(Verdict(all.Err(), 2, true), "accurately ripped (confidence 5 of 7)") << all.Err();
    EXPECT_EQ(Verdict(all.Err(), 3, true), "accurately ripped (confidence 7 of 7)") << all.Err();
    const std::string disc = "Disc CTDB CRC32 " + FormatHex(DiscCtdb);
    EXPECT_NE(all.Err().find(disc + ": accurately ripped (confidence 5 of 7)\n"), std::string::npos)
        << all.Err();
    // Asked once, with the table: a data track's start marked, the disc's lead-out last.
    const std::string query = Server.RecordOf("/ctdb/lookup2.php")["query"].get<std::string>();
    EXPECT_NE(query.find("toc=" + Toc), std::string::npos) << query;
    EXPECT_NE(query.find("version=3"), std::string::npos) << query;

    std::ifstream file(Path(FreeDb + ".log"));
    const std::string log{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_NE(log.find("CTDB answer: 3 entries\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Track 02 CTDB CRC32 " + FormatHex(Tracks[1].Ctdb) +
                       ": accurately ripped (confidence 5 of 7)\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(disc + ": accurately ripped (confidence 5 of 7)\n"), std::string::npos);
    EXPECT_NE(log.find("; 3 accurately ripped, 0 not accurately ripped, 0 not verified;"),
              std::string::npos)
        << log;

    // A track alone is verified; the disc is not whole.
    RipProcess one = Rip(Server.Url("/unknown"), {"--track", "2", "--no-log"}, base);
    ASSERT_EQ(one.Wait(), 0) << one.Err();
    EXPECT_EQ(Verdict(one.Err(), 2, true), "accurately ripped (confidence 5 of 7)") << one.Err();
    EXPECT_EQ(one.Err().find("Disc CTDB"), std::string::npos) << one.Err();
}

TEST_F(RipAccuracy, CuetoolsDatabaseAnswersThatCannotBeUsedWarnAndFailNoRip) {
    ASSERT_EQ(Tracks.size(), 3u) << "the reference ran";
    const auto answer = [](const std::string& Entries) {
        return "<ctdb xmlns=\"http://db.cuetools.net/ns/mmd-1.0#\">" + Entries + "</ctdb>";
    };
    struct Case {
        std::string Base;
        std::string Warning; // empty: none
        std::string Said;
        int Status = 0; // with --require-accurate, AccurateRip not knowing the disc
    };
    const std::string unasked = "not verified: the database could not be asked";
    const std::vector<Case> cases{
        {Server.Url("/none"), "", "not verified: the disc is not in the database", 3},
        {CtdbAnswering("/nomatch", answer("<entry confidence=\"4\" crc32=\"1\" trackcrcs=\"" +
                                          Hex(Tracks[0].Ctdb ^ 1) + " 2 3\"/>")),
         "", "not accurately ripped: none of the 4 submissions in the database matches", 3},
        {CtdbAnswering("/cut", answer("<entry confidence=\"4\" crc32=\"1\"/>").substr(0, 60)),
         "The CTDB answer could not be read: it is not XML", unasked, 3},
        {CtdbAnswering("/badcrc", answer("<entry confidence=\"4\" crc32=\"x1\" trackcrcs=\"" +
                                         Hex(Tracks[0].Ctdb) + " 2 3\"/>")),
         "entry 1 has no confidence or CRC32 that is a number", unasked, 3},
        {CtdbAnswering("/badtrack", answer("<entry confidence=\"4\" crc32=\"1\" trackcrcs=\"" +
                                           Hex(Tracks[0].Ctdb) + " 2 zz\"/>")),
         "entry 1's track CRC32 \"zz\" is no number", unasked, 3},
        {CtdbAnswering("/html", "<html><body>busy</body></html>"), "it is <html>, not <ctdb>",
         unasked, 3},
        {Server.Url("/status/503"), "with status 503", unasked, 3}};
    for (const Case& each : cases) {
        RipProcess rip =
            Rip(Server.Url("/unknown"), {"--track", "1", "--require-accurate"}, each.Base);
        EXPECT_EQ(rip.Wait(), each.Status) << each.Base << "\n" << rip.Err();
        EXPECT_EQ(Verdict(rip.Err(), 1, true), each.Said) << each.Base << "\n" << rip.Err();
        const std::string sequel = "The tracks are not verified by the CUETools database.";
        if (each.Warning.empty()) {
            EXPECT_EQ(rip.Err().find(sequel), std::string::npos) << rip.Err();
        } else {
            EXPECT_NE(rip.Err().find(each.Warning), std::string::npos) << rip.Err();
            EXPECT_NE(rip.Err().find(sequel), std::string::npos) << rip.Err();
        }
        // Written all the same.
        EXPECT_GT(std::filesystem::file_size(Path("t01.mp3")), 10'000u) << each.Base;
    }
}

// The services' addresses may be settings: the command line wins over the
// environment, which wins over kestrune-rip.ini's [Services].
TEST_F(RipAccuracy, TheDatabasesAddressesMayComeFromTheSettingsFile) {
    ASSERT_EQ(Tracks.size(), 3u) << "the reference ran";
    const std::string accurate =
        Answering("/ar", Chunk({{{4, Tracks[0].V1}, {4, Tracks[1].V1}, {4, Tracks[2].V1}}}));
    const std::string ctdb = CtdbAnswering(
        "/ctdb", "<ctdb><entry confidence=\"3\" crc32=\"0\" trackcrcs=\"" + Hex(Tracks[0].Ctdb) +
                     " " + Hex(Tracks[1].Ctdb) + " " + Hex(Tracks[2].Ctdb) + "\"/></ctdb>");
    std::filesystem::create_directories(images.Folder() / "config" / "kestrune");
    std::ofstream(images.Folder() / "config" / "kestrune" / "kestrune-rip.ini")
        << "[Services]\nMusicBrainz = " << Server.Url("/none") << "\nAccurateRip = " << accurate
        << "\nCTDB=" << ctdb << "\n";
    ::unsetenv("KESTRUNE_ACCURATERIP_URL");
    ::unsetenv("KESTRUNE_CTDB_URL");
    ::unsetenv("KESTRUNE_MUSICBRAINZ_URL");
    const std::vector<std::string> words{"--disc", Sheet,         "--track", "2",
                                         "-o",     Path("t.mp3"), "--no-log"};
    RipProcess settled(words, Logs());
    ASSERT_EQ(settled.Wait(), 0) << settled.Err();
    EXPECT_EQ(Verdict(settled.Err(), 2), "accurately ripped (confidence 4 of 4, v1)")
        << settled.Err();
    EXPECT_EQ(Verdict(settled.Err(), 2, true), "accurately ripped (confidence 3 of 3)");

    ::setenv("KESTRUNE_ACCURATERIP_URL", Server.Url("/unknown").c_str(), 1);
    RipProcess environment(words, Logs());
    ASSERT_EQ(environment.Wait(), 0) << environment.Err();
    EXPECT_EQ(Verdict(environment.Err(), 2), "not verified: the disc is not in the database");

    std::vector<std::string> given = words;
    given.insert(given.end(), {"--accuraterip-url", accurate});
    RipProcess option(given, Logs());
    ASSERT_EQ(option.Wait(), 0) << option.Err();
    EXPECT_EQ(Verdict(option.Err(), 2), "accurately ripped (confidence 4 of 4, v1)");
}

// A drive's offset is found from a disc AccurateRip knows: the submissions
// here are of the image moved as a drive with that offset would read it,
// worked out apart; each offset is tried on tracks 1 and 2 (track 3 is
// followed by data, not audio) and the one both match is remembered for the
// drive, whose next rip is then accurate.
TEST_F(RipAccuracy, FindOffsetTriesEveryOffsetAndRemembersTheOneTheTracksMatch) {
    ASSERT_EQ(Tracks.size(), 3u) << "the reference ran";
    ::setenv("DISCREAD_SIMULATE", "model=ACME CD-42 1.0", 1);
    const std::string audio = [&] {
        std::ifstream in(Path("disc.bin"), std::ios::binary);
        return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }();
    for (const int offset : {700, -1200}) {
        SCOPED_TRACE(offset);
        const auto shift = static_cast<std::size_t>(std::abs(offset) * 4);
        const std::string zeros(shift, '\0');
        std::ofstream(Path("moved.bin"), std::ios::binary)
            << (offset > 0 ? audio.substr(shift) + zeros
                           : zeros + audio.substr(0, audio.size() - shift));
        const std::vector<std::string> moved = ComputedApart(Path("moved.bin"), Ranges);
        ASSERT_EQ(moved.size(), 3u);
        const std::string base = Answering(
            "/moved" + std::to_string(offset + 5000),
            Chunk({{{6, Hex(moved[0], 18)}, {6, Hex(moved[1], 18)}, {6, Hex(moved[2], 18)}}}) +
                Chunk({{{3, Tracks[0].V2}, {3, Tracks[1].V2}, {3, Tracks[2].V2}}}));
        RipProcess find({"--disc", Sheet, "--find-offset", "--accuraterip-url", base}, Logs());
        ASSERT_EQ(find.Wait(), 0) << find.Err();
        const std::string said = (offset > 0 ? "+" : "") + std::to_string(offset);
        EXPECT_EQ(find.Out(), "Read offset: " + said + " samples\n") << find.Err();
        EXPECT_NE(find.Err().find("Track 01: matches AccurateRip at " + said + " (confidence 6)"),
                  std::string::npos)
            << find.Err();
        EXPECT_NE(find.Err().find("Track 02: matches AccurateRip at " + said + " (confidence 6)"),
                  std::string::npos)
            << find.Err();
        EXPECT_NE(find.Err().find("Remembered for ACME CD-42 1.0"), std::string::npos);

        // The next rip from the drive reads with it.
        RipProcess rip = Rip(base, {"--track", "2", "--no-log"});
        ASSERT_EQ(rip.Wait(), 0) << rip.Err();
        EXPECT_EQ(Verdict(rip.Err(), 2), "accurately ripped (confidence 6 of 9, v1)") << rip.Err();
    }

    // Nothing to find: no submission matches at any offset, or there are none.
    const std::string other = Answering("/other-pressing", Chunk({{{6, 1}, {6, 2}, {6, 3}}}));
    RipProcess none({"--disc", Sheet, "--find-offset", "--accuraterip-url", other}, Logs());
    EXPECT_EQ(none.Wait(), 1);
    EXPECT_NE(none.Err().find("no read offset from -2940 to +2940 samples makes tracks 01 and 02 "
                              "match AccurateRip's v1 checksums"),
              std::string::npos)
        << none.Err();
    RipProcess unknown(
        {"--disc", Sheet, "--find-offset", "--accuraterip-url", Server.Url("/unknown")}, Logs());
    EXPECT_EQ(unknown.Wait(), 1);
    EXPECT_NE(unknown.Err().find("the disc is not in AccurateRip's database"), std::string::npos)
        << unknown.Err();
}

// A disc of one audio track has nothing after it to read on into: what an
// offset moves in from either side is the silence a corrected read gives.
TEST_F(RipAccuracy, FindOffsetOnADiscOfOneTrackTakesSilenceBeyondIt) {
    const std::string single = images.Make("single", DiscImages::Spec({"audio:3:noise=2@-10"}));
    RipProcess list({"--disc", single, "--list", "--offline"}, Logs());
    ASSERT_EQ(list.Wait(), 0) << list.Err();
    std::smatch ids;
    const std::string out = list.Out();
    ASSERT_TRUE(std::regex_search(
        out, ids, std::regex("AccurateRip ids: 001-([0-9a-f]{8})-([0-9a-f]{8})-([0-9a-f]{8})")))
        << out;
    const std::string audio = [&] {
        std::ifstream in(Path("single.bin"), std::ios::binary);
        return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }();
    std::ofstream(Path("moved.bin"), std::ios::binary)
        << audio.substr(2800) + std::string(2800, '\0');
    const std::vector<std::string> moved = ComputedApart(
        Path("moved.bin"), {{0, static_cast<std::int64_t>(audio.size() / 2352), "only"}});
    ASSERT_EQ(moved.size(), 1u);
    std::string chunk(1, '\1');
    for (const std::string& id : {ids.str(1), ids.str(2), ids.str(3)}) {
        Put(chunk, static_cast<std::uint32_t>(std::stoul(id, nullptr, 16)));
    }
    chunk += static_cast<char>(5);
    Put(chunk, Hex(moved[0], 18));
    Put(chunk, 0);
    const std::string id1 = ids.str(1);
    const std::filesystem::path file =
        Answers / "single" / "accuraterip" / id1.substr(7, 1) / id1.substr(6, 1) /
        id1.substr(5, 1) / ("dBAR-001-" + id1 + "-" + ids.str(2) + "-" + ids.str(3) + ".bin");
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << chunk;
    RipProcess find({"--disc", single, "--find-offset", "--accuraterip-url", Server.Url("/single")},
                    Logs());
    ASSERT_EQ(find.Wait(), 0) << find.Err();
    EXPECT_EQ(find.Out(), "Read offset: +700 samples\n") << find.Err();
}

} // namespace
} // namespace kestrune::test
