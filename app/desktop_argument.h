#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

// What an argument in one of the forms Linux desktops hand over asks for: a
// track of the disc in a drive, or the whole disc (the user then chooses).
//
// The forms: GNOME's cdda://sr0/Track%203.wav and its FUSE path
// /run/user/UID/gvfs/cdda:host=sr0/Track 3.wav, KDE's audiocd:/Track 03.wav
// with or without ?device=/dev/sr1, each also without a track (cdda://sr0/,
// audiocd:/?device=/dev/sr0), a device node such as /dev/sr0, and file: URLs
// of the paths among them.
struct TDesktopRequest {
    // The device the argument names ("/dev/sr1"); empty: the first drive.
    std::string Drive;
    // The track's position on the disc, 1 to 99; 0: the whole disc.
    std::int32_t Track = 0;

    bool operator==(const TDesktopRequest&) const = default;
};

// The request an argument of those forms makes; none for every other argument,
// which the program's own rules then examine as they stand.
[[nodiscard]] std::optional<TDesktopRequest> ReadDesktopArgument(std::string_view Argument);

// The argument of the program's own form that asks for Track: "X:\TrackNN.cda".
[[nodiscard]] std::string TrackArgument(std::int32_t Track);

// Which of the drives (their paths as the reading library names them) is
// Device: the one of that path, else the same file under another name (a link
// such as /dev/cdrom), else the one of the same base name (desktops name a
// drive after its device node, "sr1"). None when no drive is.
[[nodiscard]] std::optional<std::int32_t> DriveIndexOf(const std::string& Device,
                                                       const std::vector<std::string>& Drives);

} // namespace kestrune
