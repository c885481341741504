#include "app/desktop_argument.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kestrune {
namespace {

using Request = TDesktopRequest;

TEST(DesktopArgument, GnomeFilesHandsOverAUriOrItsFusePath) {
    EXPECT_EQ(ReadDesktopArgument("cdda://sr0/Track%203.wav"), (Request{"/dev/sr0", 3}));
    EXPECT_EQ(ReadDesktopArgument("cdda://sr1/Track%2012.wav"), (Request{"/dev/sr1", 12}));
    EXPECT_EQ(ReadDesktopArgument("/run/user/1000/gvfs/cdda:host=sr0/Track 3.wav"),
              (Request{"/dev/sr0", 3}));
    // A program started with %u may get the FUSE path as a file: URL.
    EXPECT_EQ(ReadDesktopArgument("file:///run/user/1000/gvfs/cdda:host=sr1/Track%207.wav"),
              (Request{"/dev/sr1", 7}));
}

TEST(DesktopArgument, DolphinHandsOverAKdeUrlWithOrWithoutTheDevice) {
    EXPECT_EQ(ReadDesktopArgument("audiocd:/Track 03.wav"), (Request{"", 3}));
    EXPECT_EQ(ReadDesktopArgument("audiocd:/Track%2003.wav"), (Request{"", 3}));
    EXPECT_EQ(ReadDesktopArgument("audiocd:/Track 03.wav?device=/dev/sr1"),
              (Request{"/dev/sr1", 3}));
    EXPECT_EQ(ReadDesktopArgument("audiocd:/FLAC/Track 11.flac?device=%2Fdev%2Fsr0&niceLevel=5"),
              (Request{"/dev/sr0", 11}));
}

TEST(DesktopArgument, ADiscWithoutATrackAsksForTheWholeDisc) {
    EXPECT_EQ(ReadDesktopArgument("cdda://sr0/"), (Request{"/dev/sr0", 0}));
    EXPECT_EQ(ReadDesktopArgument("cdda://sr0"), (Request{"/dev/sr0", 0}));
    EXPECT_EQ(ReadDesktopArgument("/dev/sr0"), (Request{"/dev/sr0", 0}));
    EXPECT_EQ(ReadDesktopArgument("/dev/cdrom"), (Request{"/dev/cdrom", 0}));
    EXPECT_EQ(ReadDesktopArgument("/run/user/1000/gvfs/cdda:host=sr0"), (Request{"/dev/sr0", 0}));
    EXPECT_EQ(ReadDesktopArgument("audiocd:/?device=/dev/sr1"), (Request{"/dev/sr1", 0}));
    EXPECT_EQ(ReadDesktopArgument("audiocd:/"), (Request{"", 0}));
}

// Everything else is left to the program's own rules and their messages,
// however close it comes to a desktop's form.
TEST(DesktopArgument, EveryOtherArgumentIsLeftAsItIs) {
    for (const char* other : {"D:\\Track03.cda",
                              "E:\\track01.cda",
                              "",
                              "Track 3.wav",
                              "/home/u/Track 3.wav",
                              "file:///home/u/Track01.cda",
                              "cdda://sr0/track 3.wav",
                              "cdda://sr0/Track 3",
                              "cdda://sr0/Track 100.wav",
                              "cdda://sr0/Track 0.wav",
                              "cdda://sr0/Track x.wav",
                              "cdda://sr0/Track 3.wav/x",
                              "cdda:///Track 3.wav",
                              "cdda://sr0/Track%2.wav",
                              "cdda://sr%00/",
                              "audiocd:/Track 03.wav?device=",
                              "audiocd:/Full CD/CDDA.wav",
                              "/dev/",
                              "http://host/Track 3.wav",
                              "file://otherhost/dev/sr0"}) {
        EXPECT_EQ(ReadDesktopArgument(other), std::nullopt) << other;
    }
}

TEST(DesktopArgument, TheTrackBecomesAnArgumentOfTheProgramsOwnForm) {
    EXPECT_EQ(TrackArgument(3), "X:\\Track03.cda");
    EXPECT_EQ(TrackArgument(12), "X:\\Track12.cda");
}

// The drive a desktop names, among the reading library's drives.
TEST(DesktopArgument, TheDriveIsFoundByPathByFileAndByDeviceName) {
    const auto folder =
        std::filesystem::temp_directory_path() /
        ("kestrune-drives-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(folder);
    const std::string first = (folder / "first.cue").string();
    const std::string second = (folder / "second.cue").string();
    std::ofstream(first) << "FILE \"first.bin\" BINARY\n";
    std::ofstream(second) << "FILE \"second.bin\" BINARY\n";
    std::filesystem::create_symlink(second, folder / "cdrom");
    const std::vector<std::string> drives{first, second, "/dev/sr7"};

    EXPECT_EQ(DriveIndexOf(second, drives), 1);
    // Another name for the same file: a link, or the path through "..".
    EXPECT_EQ(DriveIndexOf((folder / "cdrom").string(), drives), 1);
    EXPECT_EQ(DriveIndexOf((folder / ".." / folder.filename() / "first.cue").string(), drives), 0);
    // A device the desktop names by its node, as the library lists it.
    EXPECT_EQ(DriveIndexOf("/dev/sr7", drives), 2);
    EXPECT_EQ(DriveIndexOf("/elsewhere/sr7", drives), 2);
    EXPECT_EQ(DriveIndexOf("/dev/sr1", drives), std::nullopt);
    EXPECT_EQ(DriveIndexOf("/dev/sr1", {}), std::nullopt);
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace kestrune
