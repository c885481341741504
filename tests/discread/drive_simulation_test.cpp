// The value of DISCREAD_SIMULATE: every form the settings take is read as
// written, and anything else is refused with a text that names the variable
// and the part that is wrong.

#include "drive_simulation.h"
#include "last_error.h"

#include <gtest/gtest.h>

#include <string>

namespace discread {
namespace {

using namespace std::chrono_literals;
using Ranges = std::vector<SectorRange>;

std::string Refusal(std::string_view Text) {
    try {
        ParseDriveSimulation(Text);
    } catch (const ImageError& e) {
        return e.what();
    }
    return "accepted";
}

TEST(DriveSimulationText, EverySettingIsReadAsWritten) {
    // The example of the documentation, whole.
    const DriveSimulation full = ParseDriveSimulation("speed=24,seek=80ms,bad=21000-21010");
    ASSERT_TRUE(full.Speed.has_value());
    EXPECT_EQ(*full.Speed, 24.0);
    EXPECT_EQ(full.Seek, 80ms);
    EXPECT_EQ(full.Bad, (Ranges{{21000, 21010}}));
    EXPECT_TRUE(full.Flaky.empty());

    // Fractions, the "x" of a speed, seconds, blanks around settings.
    const DriveSimulation forms = ParseDriveSimulation(" speed=1.5x ; seek=0.25s,\tflaky=7 ");
    EXPECT_EQ(*forms.Speed, 1.5);
    EXPECT_EQ(forms.Seek, 250ms);
    EXPECT_EQ(forms.Flaky, (Ranges{{7, 7}}));
    // A model is the drive's words, blanks inside kept.
    EXPECT_EQ(ParseDriveSimulation("bad=3, model= ACME CD-42 1.0 ").Model, "ACME CD-42 1.0");
    EXPECT_EQ(ParseDriveSimulation("lead=150").LeadSectors, 150);
    EXPECT_EQ(ParseDriveSimulation("bad=1").LeadSectors, 0);

    // Nothing asked for is nothing: no pacing, no seek cost.
    const DriveSimulation bare = ParseDriveSimulation("bad=0");
    EXPECT_FALSE(bare.Speed.has_value());
    EXPECT_EQ(bare.Seek, 0ns);
    EXPECT_EQ(bare.Bad, (Ranges{{0, 0}}));
    EXPECT_EQ(ParseDriveSimulation("seek=0ms").Seek, 0ns);
    EXPECT_EQ(ParseDriveSimulation("seek=0.000001ms").Seek, 1ns);
}

TEST(DriveSimulationText, RangesListAfterTheirKeyAndAddUp) {
    // A bare range belongs to the bad=, flaky= or garble= before it, with
    // either separator; a key given again adds to its list.
    const DriveSimulation lists = ParseDriveSimulation(
        "bad=1-2;5,7-9,flaky=100;200-300,garble=40,44-45,bad=2147483647,speed=2,seek=1s");
    EXPECT_EQ(lists.Bad, (Ranges{{1, 2}, {5, 5}, {7, 9}, {2147483647, 2147483647}}));
    EXPECT_EQ(lists.Flaky, (Ranges{{100, 100}, {200, 300}}));
    EXPECT_EQ(lists.Garbled, (Ranges{{40, 40}, {44, 45}}));
    EXPECT_EQ(*lists.Speed, 2.0);
    EXPECT_EQ(lists.Seek, 1s);
}

TEST(DriveSimulationText, WhatIsNotRightIsRefusedNamingThePart) {
    // Each refusal names the variable and quotes what it refuses.
    const std::string speed = " is not a positive number of times real time, such as 24 or 1.5";
    const std::string seek =
        " is not a duration of at most an hour in ms or s, such as 80ms or 0.08s";
    const std::string range =
        " is not a sector or a range FIRST-LAST of sectors with FIRST at most LAST";
    const std::pair<const char*, std::string> cases[] = {
        {"speed=0", "speed \"0\"" + speed},
        {"speed=-2", "speed \"-2\"" + speed},
        {"speed=1e3", "speed \"1e3\"" + speed},
        {"speed=inf", "speed \"inf\"" + speed},
        {"speed=1.", "speed \"1.\"" + speed},
        {"speed=.5", "speed \".5\"" + speed},
        {"speed=x", "speed \"x\"" + speed},
        {"speed=", "speed \"\"" + speed},
        {"seek=80", "seek \"80\"" + seek},
        {"seek=ms", "seek \"ms\"" + seek},
        {"seek=80us", "seek \"80us\"" + seek},
        {"seek=3601s", "seek \"3601s\"" + seek},
        {"seek=-1ms", "seek \"-1ms\"" + seek},
        {"bad=9-3", "bad \"9-3\"" + range},
        {"flaky=1-", "flaky \"1-\"" + range},
        {"bad=-5", "bad \"-5\"" + range},
        {"bad=1-2-3", "bad \"1-2-3\"" + range},
        {"bad=2147483648", "bad \"2147483648\"" + range},
        {"bad=", "bad \"\"" + range},
        {"bad=1,x", "bad \"x\"" + range},
        {"bad = 5", "unknown setting \"bad = 5\" (the settings are speed, seek, model, lead, bad, "
                    "flaky, garble)"},
        {"sped=24", "unknown setting \"sped=24\" (the settings are speed, seek, model, lead, bad, "
                    "flaky, garble)"},
        {"speed=2,21000", "\"21000\" follows no bad=, flaky= or garble="},
        {"bad=1,speed=2,3", "\"3\" follows no bad=, flaky= or garble="},
        {"speed=24,speed=8", "speed is given twice"},
        {"model=A,model=B", "model is given twice or empty"},
        {"model= ", "model is given twice or empty"},
        {"lead=0", "lead \"0\" is given twice or is not 1 to 100000 sectors"},
        {"lead=100001", "lead \"100001\" is given twice or is not 1 to 100000 sectors"},
        {"lead=5,lead=6", "lead \"6\" is given twice or is not 1 to 100000 sectors"},
        {"model=A,5", "\"5\" follows no bad=, flaky= or garble="},
        {"seek=1ms;seek=1ms", "seek is given twice"},
        {"speed=24,", "an empty setting in \"speed=24,\""},
        {"speed=24,,bad=1", "an empty setting in \"speed=24,,bad=1\""},
        {"", "an empty setting in \"\""},
    };
    for (const auto& [text, why] : cases) {
        EXPECT_EQ(Refusal(text), "DISCREAD_SIMULATE: " + why) << text;
    }
}

} // namespace
} // namespace discread
