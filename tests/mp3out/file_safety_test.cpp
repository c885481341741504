// What the sink does to files the user already has: nothing, unless a run ends
// with a finished MP3 to put in their place.

#include "cdin/cd_in.h"
#include "tests/mp3out/mp3_fixture.h"
#include "tests/support/mp3_file.h"
#include "tests/support/test_converter.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kestrune::test {
namespace {

std::string ReadAll(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FileSafetyTest : public Mp3Test {
protected:
    // Files in the folder that are neither images nor the given outputs:
    // temporary files left behind show here.
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(images.Folder())) {
            const auto extension = entry.path().extension();
            if (extension != ".cue" && extension != ".bin" && extension != ".mp3") {
                found.push_back(entry.path().filename().string());
            }
        }
        return found;
    }
};

TEST_F(FileSafetyTest, AFileAtTheTargetOutlivesEveryRunThatFails) {
    std::ofstream(Output()) << "the user's own file";
    const auto disc = images.Make("disc", {"data:30f", "audio:1"});
    const auto cut = images.Make("cut", {"audio:4:noise=9", "audio:2"}, 200);
    const struct {
        std::string cue;
        std::int32_t track;
        std::string message;
    } failures[] = {
        {disc, 1, "Trying to rip a data track"},
        {disc, 9, "The start track out of range"},
        {images.Missing("none"), 1, "The drive is not ready"},
        // This one fails on the way, after a third of the file was encoded.
        {cut, 1,
         "The disc could not be read at sector 225 (error 5): sector 250 is not in \"" +
             cut.substr(0, cut.size() - 4) + ".bin\", which ends before it"},
    };
    for (const auto& failure : failures) {
        auto cd = Cd(failure.cue, failure.track);
        const auto errorsBefore = events.Errors().size();
        Run(*cd);
        ASSERT_EQ(events.Errors().size(), errorsBefore + 1) << failure.message;
        EXPECT_EQ(events.Errors().back(), failure.message);
        EXPECT_EQ(ReadAll(Output()), "the user's own file") << failure.message;
    }
    EXPECT_EQ(events.Done(), 0);
    EXPECT_TRUE(Leftovers().empty());
}

TEST_F(FileSafetyTest, TheDiscBeingReadIsNeverATarget) {
    const auto cue = images.Make("disc", {"audio:1:sine=440"});
    const auto bin = cue.substr(0, cue.size() - 4) + ".bin";
    const auto binBefore = ReadAll(bin);
    const auto cueBefore = ReadAll(cue);
    const auto link = Output("another-name.bin");
    std::filesystem::create_hard_link(bin, link);
    auto cd = Cd(cue, 1);
    // A stage between source and sink must not hide what the source reads.
    auto converter = MakeComponent<TTestConverter>();
    converter->SetInput(cd.get());
    for (const auto& target : {bin, cue, link}) {
        sink->SetFileName(target);
        Run(*converter);
        ASSERT_FALSE(events.Errors().empty());
        EXPECT_EQ(events.Errors().back(),
                  "Cannot create file \"" + target + "\". It is a file of the disc being read.");
    }
    EXPECT_EQ(events.Done(), 0);
    EXPECT_EQ(ReadAll(bin), binBefore);
    EXPECT_EQ(ReadAll(cue), cueBefore);
    EXPECT_EQ(cd->DriveUseCount(), 0);

    // Any other name still works, an existing one included, and is replaced whole.
    std::ofstream(Output()) << "old";
    sink->SetFileName(Output());
    Run(*converter);
    ASSERT_EQ(events.Done(), 1);
    EXPECT_EQ(DecodeMp3(Output()).Frames(), 44100u);
    EXPECT_TRUE(Leftovers().empty());
}

} // namespace
} // namespace kestrune::test
