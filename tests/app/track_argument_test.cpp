#include "app/track_argument.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(TrackArgument, CharactersAreCountedFromOneAndStopAtTheEnd) {
    const std::string argument = "D:\\Track07.cda";
    EXPECT_EQ(CharactersOf(argument, 4, 5), "Track");
    EXPECT_EQ(CharactersOf(argument, 9, 2), "07");
    EXPECT_EQ(CharactersOf("D:\\Track1.cda", 9, 2), "1.");
    EXPECT_EQ(CharactersOf("D:\\Tr", 4, 5), "Tr");
    EXPECT_EQ(CharactersOf("", 4, 5), "");
}

TEST(TrackArgument, ConversionIsStrictAsTheStandardOneIs) {
    EXPECT_EQ(StrToInt("07"), 7);
    EXPECT_EQ(StrToInt("12"), 12);
    EXPECT_EQ(StrToInt(" 7"), 7);
    EXPECT_EQ(StrToInt("-3"), -3);
    EXPECT_EQ(StrToInt("+4"), 4);
    for (const char* bad : {"1.", "7 ", "", " ", "x1", "0x", "$1", "--1", "99999999999"}) {
        try {
            StrToInt(bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()),
                      std::string("'") + bad + "' is not a valid integer value");
        }
    }
}

} // namespace
} // namespace kestrune
