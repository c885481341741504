#include "drive_simulation.h"

#include "last_error.h"

#include <charconv>
#include <string>

namespace discread {

namespace {

constexpr std::string_view Variable = "DISCREAD_SIMULATE";

[[noreturn]] void Refuse(const std::string& What) {
    throw ImageError(std::string(Variable) + ": " + What);
}

std::string Quoted(std::string_view Text) {
    return "\"" + std::string(Text) + "\"";
}

bool IsBlank(char C) {
    return C == ' ' || C == '\t';
}

std::string_view Trim(std::string_view Text) {
    while (!Text.empty() && IsBlank(Text.front())) {
        Text.remove_prefix(1);
    }
    while (!Text.empty() && IsBlank(Text.back())) {
        Text.remove_suffix(1);
    }
    return Text;
}

bool AllDigits(std::string_view Text) {
    return !Text.empty() && Text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Digits with at most one decimal point between digits: no sign, exponent,
// "inf" or "nan", which the conversion below would take.
std::optional<double> Decimal(std::string_view Text) {
    const auto point = Text.find('.');
    const bool plain = point == std::string_view::npos
                           ? AllDigits(Text)
                           : AllDigits(Text.substr(0, point)) && AllDigits(Text.substr(point + 1));
    double value = 0;
    if (!plain) {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
    if (error != std::errc() || end != Text.data() + Text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int32_t> Sector(std::string_view Text) {
    std::int32_t value = 0;
    if (!AllDigits(Text)) {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
    if (error != std::errc() || end != Text.data() + Text.size()) {
        return std::nullopt;
    }
    return value;
}

double Speed(std::string_view Value) {
    const std::string_view number =
        Value.ends_with('x') ? Value.substr(0, Value.size() - 1) : Value;
    const auto speed = Decimal(number);
    if (!speed || *speed <= 0) {
        Refuse("speed " + Quoted(Value) +
               " is not a positive number of times real time, such as 24 or 1.5");
    }
    return *speed;
}

std::chrono::nanoseconds Seek(std::string_view Value) {
    constexpr double hour = 3600e9;
    double scale = 0;
    std::string_view number;
    if (Value.ends_with("ms")) {
        scale = 1e6;
        number = Value.substr(0, Value.size() - 2);
    } else if (Value.ends_with('s')) {
        scale = 1e9;
        number = Value.substr(0, Value.size() - 1);
    }
    const auto amount = scale > 0 ? Decimal(number) : std::nullopt;
    if (!amount || *amount * scale > hour) {
        Refuse("seek " + Quoted(Value) +
               " is not a duration of at most an hour in ms or s, such as 80ms or 0.08s");
    }
    return std::chrono::nanoseconds(static_cast<std::int64_t>(*amount * scale + 0.5));
}

SectorRange Range(std::string_view Key, std::string_view Value) {
    const auto dash = Value.find('-');
    const auto first = Sector(Value.substr(0, dash));
    const auto last = dash == std::string_view::npos ? first : Sector(Value.substr(dash + 1));
    if (!first || !last || *first > *last) {
        Refuse(std::string(Key) + " " + Quoted(Value) +
               " is not a sector or a range FIRST-LAST of sectors with FIRST at most LAST");
    }
    return {*first, *last};
}

} // namespace

DriveSimulation ParseDriveSimulation(std::string_view Text) {
    DriveSimulation simulation;
    bool seekGiven = false;
    // Where a bare range goes: the list of the bad=, flaky= or garble= before it.
    std::vector<SectorRange>* ranges = nullptr;
    std::string_view rangeKey;
    std::string_view rest = Text;
    while (true) {
        const auto separator = rest.find_first_of(",;");
        const std::string_view item = Trim(rest.substr(0, separator));
        if (item.empty()) {
            Refuse("an empty setting in " + Quoted(Text));
        }
        const auto equals = item.find('=');
        const std::string_view key = equals == std::string_view::npos ? "" : item.substr(0, equals);
        const std::string_view value = item.substr(equals + 1);
        if (equals == std::string_view::npos) {
            if (ranges == nullptr) {
                Refuse(Quoted(item) + " follows no bad=, flaky= or garble=");
            }
            ranges->push_back(Range(rangeKey, item));
        } else if (key == "speed") {
            if (simulation.Speed) {
                Refuse("speed is given twice");
            }
            simulation.Speed = Speed(value);
            ranges = nullptr;
        } else if (key == "seek") {
            if (seekGiven) {
                Refuse("seek is given twice");
            }
            simulation.Seek = Seek(value);
            seekGiven = true;
            ranges = nullptr;
        } else if (key == "lead") {
            const std::optional<std::int32_t> lead = Sector(value);
            if (simulation.LeadSectors != 0 || !lead || *lead < 1 || *lead > 100000) {
                Refuse("lead " + Quoted(value) + " is given twice or is not 1 to 100000 sectors");
            }
            simulation.LeadSectors = *lead;
            ranges = nullptr;
        } else if (key == "model") {
            if (!simulation.Model.empty() || Trim(value).empty()) {
                Refuse("model is given twice or empty");
            }
            simulation.Model = Trim(value);
            ranges = nullptr;
        } else if (key == "bad" || key == "flaky" || key == "garble") {
            ranges = key == "bad"     ? &simulation.Bad
                     : key == "flaky" ? &simulation.Flaky
                                      : &simulation.Garbled;
            rangeKey = key;
            ranges->push_back(Range(key, value));
        } else {
            Refuse("unknown setting " + Quoted(item) +
                   " (the settings are speed, seek, model, lead, bad, flaky, garble)");
        }
        if (separator == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(separator + 1);
    }
    return simulation;
}

} // namespace discread
