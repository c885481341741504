#include "tools/kestrune-rip/cue_sheet_writer.h"

#include "discread/cd_time.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>

namespace kestrune::rip {

namespace {

// The CONTROL bits of a track's flag that a cue sheet's FLAGS line names.
constexpr std::uint8_t CopyPermitted = 0x02;
constexpr std::uint8_t PreEmphasis = 0x01;
constexpr std::uint8_t FourChannels = 0x08;

std::string Quoted(const std::string& Text) {
    std::string quoted = "\"";
    for (const char c : Text) {
        if (c == '"') {
            quoted += '\'';
        } else if (c == '\n' || c == '\r' || c == '\t') {
            quoted += ' ';
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

bool AllOf(const std::string& Text, std::size_t Length, int (*Kind)(int)) {
    return Text.size() == Length && std::all_of(Text.begin(), Text.end(), [Kind](char c) {
               return Kind(static_cast<unsigned char>(c)) != 0;
           });
}

// The file as the sheet names it: from the sheet's folder when it lies there
// or below, else whole.
std::string FileName(const std::string& CueFile, const std::string& File) {
    const std::filesystem::path folder =
        std::filesystem::absolute(CueFile).lexically_normal().parent_path();
    const std::filesystem::path file = std::filesystem::absolute(File).lexically_normal();
    const std::filesystem::path relative = file.lexically_relative(folder);
    if (!relative.empty() && *relative.begin() != "..") {
        return relative.generic_string();
    }
    return file.string();
}

std::string TrackFlags(std::uint8_t Flag, bool KeepEmphasis) {
    std::string flags;
    if ((Flag & CopyPermitted) != 0) {
        flags += " DCP";
    }
    // De-emphasised files hold plain audio.
    if ((Flag & PreEmphasis) != 0 && KeepEmphasis) {
        flags += " PRE";
    }
    if ((Flag & FourChannels) != 0) {
        flags += " 4CH";
    }
    return flags.empty() ? "" : "    FLAGS" + flags + "\n";
}

std::string AlbumLines(const TrackTags& First, const CueDisc& Disc) {
    std::string text;
    if (!First.Genre.empty()) {
        text += "REM GENRE " + Quoted(First.Genre) + "\n";
    }
    if (!First.Date.empty()) {
        text += "REM DATE " + First.Date.substr(0, 4) + "\n";
    }
    if (AllOf(Disc.FreeDbId, 8, isxdigit)) {
        text += "REM DISCID " + Disc.FreeDbId + "\n";
    }
    if (AllOf(Disc.Catalogue, 13, isdigit)) {
        text += "CATALOG " + Disc.Catalogue + "\n";
    }
    if (!First.AlbumArtist.empty()) {
        text += "PERFORMER " + Quoted(First.AlbumArtist) + "\n";
    }
    if (!First.Album.empty()) {
        text += "TITLE " + Quoted(First.Album) + "\n";
    }
    return text;
}

std::string TrackLines(const PlannedTrack& Planned, bool KeepEmphasis) {
    const TrackTags& tags = Planned.Tags;
    std::array<char, 32> number{};
    std::snprintf(number.data(), number.size(), "%02d", static_cast<int>(Planned.Track.Number));
    std::string text = "  TRACK " + std::string(number.data()) + " AUDIO\n";
    if (!tags.Title.empty()) {
        text += "    TITLE " + Quoted(tags.Title) + "\n";
    }
    if (!tags.Artist.empty()) {
        text += "    PERFORMER " + Quoted(tags.Artist) + "\n";
    }
    text += TrackFlags(Planned.Track.Flag, KeepEmphasis);
    if (tags.Isrc.size() == 12) {
        text += "    ISRC " + tags.Isrc + "\n";
    }
    return text;
}

} // namespace

std::string FormatCueSheet(const std::string& CueFile, const std::vector<PlannedTrack>& Tracks,
                           const CueDisc& Disc) {
    if (Tracks.empty()) {
        return {};
    }
    std::string text = AlbumLines(Tracks.front().Tags, Disc);
    const PlannedTrack* previous = nullptr;
    for (const PlannedTrack& planned : Tracks) {
        const DiscTrack& track = planned.Track;
        const std::string file = "FILE " + Quoted(FileName(CueFile, planned.Output)) + " MP3\n";
        // The pregap is the end of the file in front when that file is the
        // disc's track in front; else no file holds it and it is silence.
        const bool inFront = previous != nullptr &&
                             previous->Track.Position + 1 == track.Position && track.Pregap > 0 &&
                             track.Pregap < previous->Track.Sectors;
        if (inFront) {
            text += TrackLines(planned, Disc.KeepEmphasis);
            text += "    INDEX 00 " +
                    discread::FormatCdTime(previous->Track.Sectors - track.Pregap) + "\n";
            text += file;
        } else {
            text += file;
            text += TrackLines(planned, Disc.KeepEmphasis);
            if (track.Pregap > 0) {
                text += "    PREGAP " + discread::FormatCdTime(track.Pregap) + "\n";
            }
        }
        text += "    INDEX 01 00:00:00\n";
        previous = &planned;
    }
    return text;
}

} // namespace kestrune::rip
