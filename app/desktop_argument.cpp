#include "app/desktop_argument.h"

#include <cctype>
#include <charconv>
#include <filesystem>
#include <system_error>

namespace kestrune {

namespace {

constexpr std::string_view DeviceFolder = "/dev/";
constexpr std::string_view GnomeScheme = "cdda://";
constexpr std::string_view KdeScheme = "audiocd:";
constexpr std::string_view FileScheme = "file://";
constexpr std::string_view FuseHost = "/gvfs/cdda:host=";

bool StartsWith(std::string_view Text, std::string_view Prefix) {
    return Text.substr(0, Prefix.size()) == Prefix;
}

int HexDigit(char C) {
    if (C >= '0' && C <= '9') {
        return C - '0';
    }
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// %XX escapes decoded; none when an escape is broken or decodes to a NUL,
// which no path can hold.
std::optional<std::string> PercentDecoded(std::string_view Text) {
    std::string result;
    result.reserve(Text.size());
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] != '%') {
            result += Text[i];
            continue;
        }
        if (i + 2 >= Text.size()) {
            return std::nullopt;
        }
        const int high = HexDigit(Text[i + 1]);
        const int low = HexDigit(Text[i + 2]);
        if (high < 0 || low < 0 || (high == 0 && low == 0)) {
            return std::nullopt;
        }
        result += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return result;
}

// The track a file name of a desktop's CD folder names: "Track 3.wav",
// "Track 03.wav" (any ending); 0 for any other name.
std::int32_t TrackOfName(std::string_view Name) {
    constexpr std::string_view word = "Track";
    if (!StartsWith(Name, word)) {
        return 0;
    }
    Name.remove_prefix(word.size());
    if (StartsWith(Name, " ")) {
        Name.remove_prefix(1);
    }
    const auto dot = Name.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot > 2 || dot + 1 == Name.size()) {
        return 0;
    }
    for (const char c : Name.substr(dot + 1)) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0) {
            return 0;
        }
    }
    std::int32_t track = 0;
    const auto digits = Name.substr(0, dot);
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), track);
    if (error != std::errc() || end != digits.data() + digits.size() || track < 1) {
        return 0;
    }
    return track;
}

// What the path below a drive's folder asks for: the folder itself (the
// disc), or a track file in it (KDE also offers them in folders of formats).
std::optional<std::int32_t> RequestOfPath(std::string_view Path, bool Subfolders) {
    while (StartsWith(Path, "/")) {
        Path.remove_prefix(1);
    }
    if (Path.empty()) {
        return 0;
    }
    const auto slash = Path.rfind('/');
    if (slash != std::string_view::npos && !Subfolders) {
        return std::nullopt;
    }
    const std::int32_t track =
        TrackOfName(slash == std::string_view::npos ? Path : Path.substr(slash + 1));
    if (track == 0) {
        return std::nullopt;
    }
    return track;
}

std::optional<TDesktopRequest> ReadGnomeUri(std::string_view Uri) {
    const auto rest = Uri.substr(GnomeScheme.size());
    const auto slash = rest.find('/');
    const auto host = PercentDecoded(rest.substr(0, slash));
    if (!host || host->empty() || host->find('/') != std::string::npos) {
        return std::nullopt;
    }
    const auto path =
        PercentDecoded(slash == std::string_view::npos ? std::string_view() : rest.substr(slash));
    if (!path) {
        return std::nullopt;
    }
    const auto track = RequestOfPath(*path, false);
    if (!track) {
        return std::nullopt;
    }
    return TDesktopRequest{std::string(DeviceFolder) + *host, *track};
}

std::optional<TDesktopRequest> ReadKdeUrl(std::string_view Url) {
    auto rest = Url.substr(KdeScheme.size());
    std::string drive;
    if (const auto query = rest.find('?'); query != std::string_view::npos) {
        std::string_view parameters = rest.substr(query + 1);
        rest = rest.substr(0, query);
        while (!parameters.empty()) {
            const auto amp = parameters.find('&');
            const auto parameter = parameters.substr(0, amp);
            if (StartsWith(parameter, "device=")) {
                const auto device = PercentDecoded(parameter.substr(7));
                if (!device || device->empty()) {
                    return std::nullopt;
                }
                drive = *device;
            }
            parameters =
                amp == std::string_view::npos ? std::string_view() : parameters.substr(amp + 1);
        }
    }
    const auto path = PercentDecoded(rest);
    if (!path) {
        return std::nullopt;
    }
    const auto track = RequestOfPath(*path, true);
    if (!track) {
        return std::nullopt;
    }
    return TDesktopRequest{drive, *track};
}

std::optional<TDesktopRequest> ReadLocalPath(std::string_view Path) {
    if (const auto at = Path.find(FuseHost); at != std::string_view::npos) {
        const auto rest = Path.substr(at + FuseHost.size());
        const auto slash = rest.find('/');
        const auto host = rest.substr(0, slash);
        if (host.empty()) {
            return std::nullopt;
        }
        const auto track = RequestOfPath(
            slash == std::string_view::npos ? std::string_view() : rest.substr(slash), false);
        if (!track) {
            return std::nullopt;
        }
        return TDesktopRequest{std::string(DeviceFolder) + std::string(host), *track};
    }
    if (StartsWith(Path, DeviceFolder) && Path.size() > DeviceFolder.size()) {
        return TDesktopRequest{std::string(Path), 0};
    }
    return std::nullopt;
}

} // namespace

std::optional<TDesktopRequest> ReadDesktopArgument(std::string_view Argument) {
    if (StartsWith(Argument, GnomeScheme)) {
        return ReadGnomeUri(Argument);
    }
    if (StartsWith(Argument, KdeScheme)) {
        return ReadKdeUrl(Argument);
    }
    if (StartsWith(Argument, FileScheme)) {
        // Only local files: file:///path or file://localhost/path.
        auto rest = Argument.substr(FileScheme.size());
        if (StartsWith(rest, "localhost/")) {
            rest.remove_prefix(9);
        }
        if (!StartsWith(rest, "/")) {
            return std::nullopt;
        }
        const auto path = PercentDecoded(rest);
        return path ? ReadLocalPath(*path) : std::nullopt;
    }
    return ReadLocalPath(Argument);
}

std::optional<std::int32_t> DriveIndexOf(const std::string& Device,
                                         const std::vector<std::string>& Drives) {
    const auto index = [](std::size_t I) { return static_cast<std::int32_t>(I); };
    for (std::size_t i = 0; i < Drives.size(); ++i) {
        if (Drives[i] == Device) {
            return index(i);
        }
    }
    for (std::size_t i = 0; i < Drives.size(); ++i) {
        std::error_code error;
        if (std::filesystem::equivalent(Device, Drives[i], error) && !error) {
            return index(i);
        }
    }
    const auto base = std::filesystem::path(Device).filename();
    for (std::size_t i = 0; i < Drives.size(); ++i) {
        if (!base.empty() && std::filesystem::path(Drives[i]).filename() == base) {
            return index(i);
        }
    }
    return std::nullopt;
}

std::string TrackArgument(std::int32_t Track) {
    std::string digits = std::to_string(Track);
    if (digits.size() < 2) {
        digits.insert(0, 1, '0');
    }
    return "X:\\Track" + digits + ".cda";
}

} // namespace kestrune
