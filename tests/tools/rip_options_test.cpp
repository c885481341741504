#include "tools/kestrune-rip/disc_table.h"
#include "tools/kestrune-rip/file_names.h"
#include "tools/kestrune-rip/latin1_text.h"
#include "tools/kestrune-rip/rip_options.h"

#include "mp3out/program_tags.h"

#include <gtest/gtest.h>

namespace kestrune::rip {
namespace {

TEST(RipOptions, DefaultsAreTheProgramsOwn) {
    const RipOptions options = ParseOptions({});
    EXPECT_EQ(options.What, Action::Rip);
    EXPECT_EQ(options.BitRate, TMP3BitRate::br128);
    EXPECT_EQ(options.Quality, TMP3Quality::ql5);
    EXPECT_EQ(options.Mode, TMP3Mode::STEREO);
    EXPECT_FALSE(options.Vbr);
    EXPECT_EQ(options.Comment, ProgramTagComment);
    EXPECT_EQ(options.Album, "") << "a rip names no album of its own making";
    EXPECT_FALSE(options.Track.has_value());
}

TEST(RipOptions, ReadsEverySetting) {
    const RipOptions options = ParseOptions({"--disc",    "a.cue",
                                             "--track",   "3",
                                             "-o",        "x.mp3",
                                             "--mode",    "joint",
                                             "--vbr",     "--vbr-quality",
                                             "2",         "--vbr-min",
                                             "96",        "--vbr-max",
                                             "256",       "--vbr-header",
                                             "--title",   "T",
                                             "--artist",  "A",
                                             "--album",   "B",
                                             "--year",    "1999",
                                             "--comment", "C",
                                             "--genre",   "Rock"});
    EXPECT_EQ(options.Disc, "a.cue");
    EXPECT_EQ(options.Track, 3);
    EXPECT_EQ(options.Output, "x.mp3");
    EXPECT_EQ(options.Mode, TMP3Mode::JOINT_STEREO);
    EXPECT_TRUE(options.Vbr);
    EXPECT_EQ(options.VbrQuality, TMP3Quality::ql2);
    EXPECT_EQ(options.VbrMin, 96);
    EXPECT_EQ(options.VbrMax, 256);
    EXPECT_TRUE(options.VbrHeader);
    EXPECT_EQ(options.Title, "T");
    EXPECT_EQ(options.Genre, "Rock");
    EXPECT_EQ(ParseOptions({"--bitrate", "320", "--quality", "0"}).BitRate, TMP3BitRate::br320);
}

TEST(RipOptions, TrackListsAreTheDiscsNumbersInOrderOnce) {
    // Overlaps and an order of the user's own still rip each track once, in
    // the order of the disc; one number alone is one track as before.
    const RipOptions list = ParseOptions({"--track", "7,2-4,3"});
    EXPECT_EQ(list.TrackList, (std::vector<std::int32_t>{2, 3, 4, 7}));
    EXPECT_FALSE(list.Track.has_value());
    EXPECT_TRUE(SeveralTracks(list));
    const RipOptions one = ParseOptions({"--track", "12"});
    EXPECT_EQ(one.Track, 12);
    EXPECT_FALSE(SeveralTracks(one));
}

TEST(RipOptions, AReadOffsetTakesEitherSign) {
    EXPECT_EQ(ParseOptions({}).OffsetSamples, 0);
    EXPECT_EQ(ParseOptions({"--offset", "+6"}).OffsetSamples, 6);
    EXPECT_EQ(ParseOptions({"--offset", "667"}).OffsetSamples, 667);
    EXPECT_EQ(ParseOptions({"--offset", "-1200"}).OffsetSamples, -1200);
    EXPECT_EQ(ParseOptions({"--offset", "+44100"}).OffsetSamples, 44100);
}

TEST(RipOptions, MistakesAreRefusedWithAOneLineReason) {
    const std::vector<std::vector<std::string>> mistakes{
        {"--bitrate", "100"},
        {"--bitrate"},
        {"--quality", "10"},
        {"--track", "two"},
        {"--mode", "surround"},
        {"--drive", "1", "--disc", "a.cue"},
        {"--track", "1", "--all"},
        {"--vbr-min", "96"},
        // Several tracks: a range backwards or empty, a title for them all,
        // all of them into standard output.
        {"--track", "5-2"},
        {"--track", "2-"},
        {"--track", "1,,3"},
        {"--track", "2-5", "--all"},
        {"--track", "2-5", "--title", "One"},
        {"--all", "-o", "-"},
        {"--frobnicate"},
        // Numbers that would overflow or wrap further on, or that the encoder
        // would silently clamp, are refused here.
        {"--track", "2147483647"},
        {"--track", "0"},
        {"--track", "100"},
        {"--vbr", "--vbr-min", "-5"},
        {"--vbr", "--vbr-max", "1000"},
        {"--vbr", "--vbr-min", "100"},
        // A setting that would be ignored without a word.
        {"--vbr", "--bitrate", "192"},
        {"--quality", "2", "--vbr"},
        // An empty name must not turn into the default one.
        {"-o", ""},
        // Rates the encoder would change: 144 is no MPEG-1 rate (it became
        // 128), and up to 56 the Info frame does not fit in a frame.
        {"--bitrate", "144"},
        {"--bitrate", "56"},
        {"--bitrate", "8"},
        {"--vbr", "--vbr-min", "8"},
        {"--vbr", "--vbr-max", "16"},
        {"--vbr", "--vbr-max", "144"},
        {"--vbr", "--vbr-min", "192", "--vbr-max", "128"},
        // A year the tag cannot hold (it became 9999) or that is no year.
        {"--year", "123456"},
        {"--year", "19x9"},
        {"--year", "-1"},
        // An empty image path would quietly read the drive instead.
        {"--disc", ""},
        // A demand nothing could meet: every track would fail it unasked.
        {"--offline", "--require-accurate"},
        // Offsets: one sign only, whole samples, at most a second.
        {"--offset", "+-5"},
        {"--offset", "6.5"},
        {"--offset", "-44101"},
        {"--offset", ""},
        // Finding the offset chooses its own tracks, tries every offset and needs the database.
        {"--find-offset", "--track", "2"},
        {"--find-offset", "--all"},
        {"--find-offset", "--offset", "6"},
        {"--find-offset", "--offline"}};
    for (const auto& arguments : mistakes) {
        try {
            ParseOptions(arguments);
            ADD_FAILURE() << "accepted " << arguments.front();
        } catch (const std::invalid_argument& e) {
            EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos);
        }
    }
    EXPECT_EQ(ParseOptions({"--find-offset"}).What, Action::FindOffset);
    EXPECT_EQ(ParseOptions({"--help"}).What, Action::Help);
    EXPECT_EQ(ParseOptions({"--version"}).What, Action::Version);
}

TEST(RipOptions, TheRatesTheEncoderKeepsAreTaken) {
    for (const int kbps : {64, 80, 96, 112, 128, 160, 192, 224, 256, 320}) {
        EXPECT_EQ(Kbps(ParseOptions({"--bitrate", std::to_string(kbps)}).BitRate), kbps);
    }
    const RipOptions vbr = ParseOptions({"--vbr", "--vbr-min", "32", "--vbr-max", "32"});
    EXPECT_EQ(vbr.VbrMin, 32);
    EXPECT_EQ(vbr.VbrMax, 32);
    EXPECT_EQ(ParseOptions({"--year", "1999"}).Year, "1999");
    EXPECT_EQ(ParseOptions({"--year", "87"}).Year, "87");
    EXPECT_EQ(ParseOptions({"--year", ""}).Year, "");
}

TEST(Latin1Text, CharactersTheTagCannotHoldBecomeQuestionMarks) {
    EXPECT_EQ(Latin1Text("plain"), "plain");
    EXPECT_EQ(Latin1Text("Caf\xC3\xA9 \xC3\x9F\xC3\xBF"), "Caf\xE9 \xDF\xFF");
    // Beyond Latin-1: a euro sign, a CJK character, an emoji, one mark each.
    EXPECT_EQ(Latin1Text("\xE2\x82\xAC \xE4\xB8\xAD \xF0\x9F\x8E\xB5!"), "? ? ?!");
    // Broken UTF-8: a lone continuation byte, a cut sequence, an overlong form.
    EXPECT_EQ(Latin1Text("a\x80"
                         "b"),
              "a?b");
    EXPECT_EQ(Latin1Text("a\xC3"), "a?");
    EXPECT_EQ(Latin1Text("\xC0\xAFx"), "??x");
}

TEST(DiscTable, TextsFromTheSheetReachTheTerminalWithoutControlCharacters) {
    // A title that would clear the screen and ring the bell.
    DiscTrack track;
    track.Number = 1;
    track.Sectors = 75;
    track.Flag = 0x10;
    track.Title = "Evil\x1B[2J\x07title\x7F\tend";
    track.Isrc = "US\x1B"
                 "ABC1234567";
    const std::string table = FormatDiscTable({track});
    EXPECT_EQ(table.substr(table.find('\n') + 1),
              "    1  0:00.00   0:01.00   audio  -            USABC1234567  Evil[2Jtitle end\n");
}

} // namespace
} // namespace kestrune::rip
