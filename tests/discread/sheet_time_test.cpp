// Both sheet readers read a time by one rule: what one accepts the other does,
// and a refusal is worded alike. Each once had its own parser with its own
// limits (the cue reader took no more than three digits a part, the toc reader
// any number up to a fixed minute count).

#include "tests/discread/image_fixture.h"

#include <fstream>

namespace kestrune::test {
namespace {

class SheetTime : public ImageTest {
protected:
    void SetUp() override {
        ImageTest::SetUp();
        auto disc = DiscImages::Spec({"audio:20f"});
        images.Make("data", disc);
        disc.Sheet = mkdisc::SheetKind::Toc;
        images.Make("data", disc);
    }
    // The last error, without the image's prefix, or "read" when it opened.
    std::string Outcome(const std::string& Name, const std::string& Text) {
        const auto path = (images.Folder() / Name).string();
        std::ofstream(path, std::ios::binary) << Text;
        const std::int32_t result = Load(path);
        const std::string text = LastError();
        DR_DeInit();
        if (result == DR_OK) {
            return "read";
        }
        const std::string prefix = "Cannot open disc image \"" + path + "\": ";
        return text.starts_with(prefix) ? text.substr(prefix.size()) : "(wrong prefix) " + text;
    }
    std::string Cue(const std::string& Time) {
        return Outcome("t.cue",
                       "FILE \"data.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 " + Time + "\n");
    }
    std::string Toc(const std::string& Time) {
        return Outcome("t.toc", "TRACK AUDIO\nFILE \"data.raw\" 0 00:00:10\nSTART " + Time + "\n");
    }
};

TEST_F(SheetTime, CueAndTocSheetsReadAndRefuseTimesAlike) {
    const auto noTime = [](const std::string& T) {
        return "has \"" + T + "\" where a time mm:ss:ff belongs";
    };
    const auto noSuch = [](const std::string& T) {
        return "has the time \"" + T + "\", which does not exist";
    };
    const struct {
        std::string time;
        std::string cue, toc; // the reasons, each after its own "line N "
    } cases[] = {
        // A sign is no digit, though the number parser would take a minus.
        {"00:-1:00", noTime("00:-1:00"), noTime("00:-1:00")},
        {"1:2", noTime("1:2"), noTime("1:2")},
        {"00:00:05:00", noTime("00:00:05:00"), noTime("00:00:05:00")},
        {"00:00:7x", noTime("00:00:7x"), noTime("00:00:7x")},
        {"00:60:00", noSuch("00:60:00"), noSuch("00:60:00")},
        {"00:00:75", noSuch("00:00:75"), noSuch("00:00:75")},
        {"1000:00:00", noSuch("1000:00:00"), noSuch("1000:00:00")},
        {"99999999999999999999:00:00", noSuch("99999999999999999999:00:00"),
         noSuch("99999999999999999999:00:00")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.time);
        EXPECT_EQ(Cue(c.time), "line 3 " + c.cue);
        EXPECT_EQ(Toc(c.time), "line 3 " + c.toc);
    }
    // Leading zeros are digits like any other, in both.
    EXPECT_EQ(Cue("0000:00:00"), "read");
    EXPECT_EQ(Toc("0000:00:05"), "read");
}

TEST_F(SheetTime, TocNamesTakeEscapesAndCommentsEndAtTheLine) {
    // "\141" is an 'a' in octal, "\"" a quote kept in the name; a comment
    // holding a quote must not open a name.
    EXPECT_EQ(Toc("00:00:01 // \"not a name"), "read");
    EXPECT_EQ(Outcome("e.toc", "TRACK AUDIO\nFILE \"d\\141t\\a.raw\" 0 00:00:10\n"), "read");
    EXPECT_EQ(Outcome("q.toc", "TRACK AUDIO\nFILE \"x\\\"y.raw\" 0 00:00:10\n"),
              "the file \"x\"y.raw\" it names does not exist");
}

} // namespace
} // namespace kestrune::test
