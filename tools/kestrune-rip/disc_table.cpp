#include "tools/kestrune-rip/disc_table.h"

#include "cdin/discread_binding.h"

#include <cstdio>
#include <stdexcept>

namespace kestrune::rip {

namespace {

std::string Time(std::int32_t Sectors) {
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d.%02d", Sectors / 75 / 60, Sectors / 75 % 60,
                  Sectors % 75);
    return text;
}

std::string Flags(std::uint8_t Flag) {
    std::string flags;
    for (const auto& [bit, name] : {std::pair{0x02, "DCP"}, {0x01, "PRE"}, {0x08, "4CH"}}) {
        if ((Flag & bit) != 0) {
            flags += (flags.empty() ? "" : " ") + std::string(name);
        }
    }
    return flags.empty() ? "-" : flags;
}

} // namespace

std::string Printable(const std::string& Text) {
    std::string printable;
    for (const char c : Text) {
        if (c == '\t') {
            printable += ' ';
        } else if (static_cast<unsigned char>(c) >= 0x20 && c != '\x7F') {
            printable += c;
        }
    }
    return printable;
}

std::vector<DiscTrack> ReadDiscTable(TCDIn& Cd) {
    const std::int32_t count = Cd.TrackCount();
    if (count <= 0) {
        const std::string why = RipLibraryErrorText();
        throw std::runtime_error(why.empty() ? "the disc's table of contents cannot be read" : why);
    }
    std::vector<DiscTrack> tracks;
    for (std::int32_t i = 0; i < count; ++i) {
        const TTocEntry entry = ReadTocEntry(i);
        DiscTrack track;
        track.Position = i + 1;
        track.Number = entry.TrackNumber;
        track.Start = entry.StartSector;
        track.Sectors = ReadTocEntry(i + 1).StartSector - entry.StartSector;
        track.Flag = entry.Flag;
        track.Isrc = RipLibraryTrackText(i, TrackTextIsrc);
        track.Title = RipLibraryTrackText(i, TrackTextTitle);
        track.Performer = RipLibraryTrackText(i, TrackTextPerformer);
        track.Pregap = RipLibraryTrackPregap(i);
        tracks.push_back(track);
    }
    return tracks;
}

std::string FormatDiscTable(const std::vector<DiscTrack>& Tracks) {
    std::string table = "Track  Start     Length    Type   Flags        ISRC          Title\n";
    for (const DiscTrack& track : Tracks) {
        const std::string isrc = Printable(track.Isrc);
        const std::string title = Printable(track.Title);
        char line[160];
        std::snprintf(line, sizeof line, "%5d  %-8s  %-8s  %-5s  %-11s  %-12s  ",
                      static_cast<int>(track.Number), Time(track.Start).c_str(),
                      Time(track.Sectors).c_str(), IsAudioFlag(track.Flag) ? "audio" : "data",
                      Flags(track.Flag).c_str(), isrc.empty() ? "-" : isrc.c_str());
        table += line + (title.empty() ? std::string("-") : title) + "\n";
    }
    return table;
}

const DiscTrack& TrackNumbered(const std::vector<DiscTrack>& Tracks, std::int32_t Number) {
    for (const DiscTrack& track : Tracks) {
        if (track.Number == Number) {
            return track;
        }
    }
    throw std::runtime_error("the disc has no track " + std::to_string(Number) +
                             "; its tracks are " + std::to_string(Tracks.front().Number) + " to " +
                             std::to_string(Tracks.back().Number));
}

} // namespace kestrune::rip
