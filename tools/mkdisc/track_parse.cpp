#include "tools/mkdisc/track_parse.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrune::mkdisc {

namespace {

[[noreturn]] void Refuse(std::string_view Text, const std::string& Why) {
    throw std::invalid_argument("track '" + std::string(Text) + "': " + Why);
}

double ParseNumber(std::string_view Text, std::string_view Whole) {
    double value = 0;
    const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
    if (error != std::errc() || end != Text.data() + Text.size()) {
        Refuse(Whole, "'" + std::string(Text) + "' is not a number");
    }
    return value;
}

std::int32_t ParseLength(std::string_view Text, std::string_view Whole) {
    if (!Text.empty() && Text.back() == 'f') {
        const double sectors = ParseNumber(Text.substr(0, Text.size() - 1), Whole);
        if (sectors < 0 || sectors != std::floor(sectors)) {
            Refuse(Whole, "a length in sectors is a whole number");
        }
        return static_cast<std::int32_t>(sectors);
    }
    const double seconds = ParseNumber(Text, Whole);
    if (seconds < 0) {
        Refuse(Whole, "a length cannot be negative");
    }
    return static_cast<std::int32_t>(std::lround(seconds * SectorsPerSecond));
}

std::vector<std::string_view> Split(std::string_view Text, char Separator) {
    std::vector<std::string_view> parts;
    std::size_t from = 0;
    for (;;) {
        const auto at = Text.find(Separator, from);
        parts.push_back(Text.substr(from, at - from));
        if (at == std::string_view::npos) {
            return parts;
        }
        from = at + 1;
    }
}

// "NAME=VALUE@LEVEL" or "NAME"; fills the signal fields of Track.
void ParseSignal(std::string_view Text, std::string_view Whole, TrackSpec& Track) {
    const auto equals = Text.find('=');
    const auto name = Text.substr(0, equals);
    std::string_view value;
    if (equals != std::string_view::npos) {
        value = Text.substr(equals + 1);
        const auto at = value.find('@');
        if (at != std::string_view::npos) {
            Track.LevelDb = ParseNumber(value.substr(at + 1), Whole);
            value = value.substr(0, at);
        }
    }
    if (name == "silence") {
        Track.Kind = Signal::Silence;
    } else if (name == "sine" || name == "chord") {
        Track.Kind = name == "sine" ? Signal::Sine : Signal::Chord;
        if (!value.empty()) {
            Track.Frequency = ParseNumber(value, Whole);
        }
        if (Track.Frequency <= 0 || Track.Frequency >= SampleRate / 2.0) {
            Refuse(Whole, "the frequency must lie between 0 and 22050 Hz");
        }
    } else if (name == "noise" || name == "melody") {
        Track.Kind = name == "noise" ? Signal::Noise : Signal::Melody;
        if (!value.empty()) {
            Track.Seed = static_cast<std::uint32_t>(ParseNumber(value, Whole));
        }
    } else {
        Refuse(Whole, "unknown signal '" + std::string(name) + "'");
    }
    if (Track.LevelDb > 0) {
        Refuse(Whole, "the level is at most 0 dB");
    }
}

} // namespace

TrackSpec ParseTrack(std::string_view Text) {
    const auto options = Split(Text, ',');
    const auto fields = Split(options.front(), ':');
    if (fields.size() < 2 || fields.size() > 3) {
        Refuse(Text, "expected KIND:LENGTH[:SIGNAL]");
    }
    TrackSpec track;
    if (fields[0] == "data") {
        track.Data = true;
    } else if (fields[0] != "audio") {
        Refuse(Text, "the kind is 'audio' or 'data'");
    }
    track.Sectors = ParseLength(fields[1], Text);
    if (track.Sectors < 1) {
        Refuse(Text, "a track holds at least one sector");
    }
    if (fields.size() == 3) {
        if (track.Data) {
            Refuse(Text, "a data track has no signal");
        }
        ParseSignal(fields[2], Text, track);
    }
    for (std::size_t i = 1; i < options.size(); ++i) {
        const auto option = options[i];
        if (option == "dcp") {
            track.CopyPermitted = true;
        } else if (option == "pre") {
            track.PreEmphasis = true;
        } else if (option.starts_with("pregap=")) {
            track.PregapSectors = ParseLength(option.substr(7), Text);
        } else if (option.starts_with("gap=")) {
            track.GapSectors = ParseLength(option.substr(4), Text);
        } else if (option.starts_with("title=")) {
            track.Title = option.substr(6);
        } else if (option.starts_with("isrc=")) {
            track.Isrc = option.substr(5);
            if (track.Isrc.size() != 12) {
                Refuse(Text, "an ISRC has 12 characters");
            }
        } else {
            Refuse(Text, "unknown option '" + std::string(option) + "'");
        }
    }
    return track;
}

} // namespace kestrune::mkdisc
