#include "tools/kestrune-rip/file_names.h"

#include <gtest/gtest.h>

namespace kestrune::rip {
namespace {

TrackTags Tags() {
    TrackTags tags;
    tags.Title = "Καλημέρα";
    tags.Artist = "AC/DC";
    tags.AlbumArtist = "Various";
    tags.Album = "Best of";
    tags.TrackNumber = 3;
    tags.TrackCount = 12;
    tags.Date = "1999-04-01";
    tags.DiscNumber = 2;
    return tags;
}

TEST(FileNames, EveryFieldOfThePatternIsFilledAndFoldersComeOnlyFromThePattern) {
    EXPECT_EQ(ExpandName("%A/%b (%y)/%d-%n of %N %a - %t.mp3", Tags(), NameRules::Posix),
              "Various/Best of (1999)/2-03 of 12 AC_DC - Καλημέρα.mp3");
    // %% is a '%'; a letter that is no field stays as it was written.
    EXPECT_EQ(ExpandName("100%% %n %q.mp3", Tags(), NameRules::Posix), "100% 03 %q.mp3");
    EXPECT_EQ(ExpandName("", Tags(), NameRules::Posix), "Track03.mp3");
}

TEST(FileNames, TextsNeitherClimbOutOfTheirFolderNorHideNorBreakTheName) {
    TrackTags tags = Tags();
    tags.Album = "..";
    tags.Title = ".hidden\ttab\x01";
    EXPECT_EQ(ExpandName("%b/%t.mp3", tags, NameRules::Posix), "_./_hidden_tab_.mp3");
    // On request, also what Windows refuses, and no part ending in a dot.
    tags.Title = "What? <Yes>: \"a|b\" *\\";
    tags.Album = "Vol. 2.";
    EXPECT_EQ(ExpandName("%b/%t.mp3", tags, NameRules::Windows),
              "Vol. 2_/What_ _Yes__ _a_b_ __.mp3");
    // What the user wrote stays, dots and all.
    EXPECT_EQ(ExpandName("../out/%n.mp3", tags, NameRules::Windows), "../out/03.mp3");
}

TEST(FileNames, MissingTextsGetNamesAndLongOnesAreCutOnACharacter) {
    TrackTags tags;
    tags.TrackNumber = 7;
    EXPECT_EQ(ExpandName("%a/%b/%n %t.mp3", tags, NameRules::Posix),
              "Unknown Artist/Unknown Album/07 Track 07.mp3");
    // 200 two-byte characters: the part keeps its extension and ends on a
    // whole character within 255 bytes.
    std::string greek;
    for (int i = 0; i < 200; ++i) {
        greek += "λ";
    }
    tags.Title = greek;
    const std::string name = ExpandName("%t.mp3", tags, NameRules::Posix);
    EXPECT_LE(name.size(), 255U);
    EXPECT_EQ(name.substr(name.size() - 4), ".mp3");
    EXPECT_EQ(name.size(), 4 + 250U) << "125 whole characters";
    tags.Album = greek;
    const std::string folder = ExpandName("%b/x.mp3", tags, NameRules::Posix);
    EXPECT_EQ(folder, greek.substr(0, 254) + "/x.mp3");
}

} // namespace
} // namespace kestrune::rip
