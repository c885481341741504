#include "tools/kestrune-rip/file_names.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace kestrune::rip {

namespace {

constexpr std::size_t MostBytesOfAPart = 255;
// An extension longer than this is taken for part of the name.
constexpr std::size_t LongestExtension = 16;

std::string TwoDigits(std::int32_t Number) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "%02d", static_cast<int>(Number));
    return text.data();
}

bool Refused(unsigned char C, NameRules Rules) {
    if (C < 0x20 || C == 0x7F || C == '/') {
        return true;
    }
    return Rules == NameRules::Windows &&
           std::string_view("<>:\"\\|?*").find(static_cast<char>(C)) != std::string_view::npos;
}

std::string SafeText(const std::string& Text, NameRules Rules) {
    std::string safe;
    for (const char c : Text) {
        safe += Refused(static_cast<unsigned char>(c), Rules) ? '_' : c;
    }
    if (!safe.empty() && safe.front() == '.') {
        safe.front() = '_';
    }
    return safe;
}

std::string Either(const std::string& Text, const std::string& Otherwise) {
    return Text.empty() ? Otherwise : Text;
}

// What %C stands for; empty for a letter that is no field (kept as it is).
std::string FieldText(char C, const TrackTags& Tags, bool& Known) {
    Known = true;
    switch (C) {
    case 'n':
        return TwoDigits(Tags.TrackNumber);
    case 'N':
        return TwoDigits(Tags.TrackCount);
    case 't':
        return Either(Tags.Title, "Track " + TwoDigits(Tags.TrackNumber));
    case 'a':
        return Either(Tags.Artist, "Unknown Artist");
    case 'A':
        return Either(Tags.AlbumArtist, "Unknown Artist");
    case 'b':
        return Either(Tags.Album, "Unknown Album");
    case 'y':
        return Tags.Date.substr(0, 4);
    case 'd':
        return std::to_string(Tags.DiscNumber > 0 ? Tags.DiscNumber : 1);
    default:
        Known = false;
        return {};
    }
}

// At most Bytes of Text, not ending inside a UTF-8 character.
std::string CutOnCharacter(const std::string& Text, std::size_t Bytes) {
    if (Text.size() <= Bytes) {
        return Text;
    }
    std::size_t end = Bytes;
    while (end > 0 && (static_cast<unsigned char>(Text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return Text.substr(0, end);
}

std::string CutPart(const std::string& Part) {
    if (Part.size() <= MostBytesOfAPart) {
        return Part;
    }
    const std::size_t dot = Part.rfind('.');
    const std::size_t extension =
        dot != std::string::npos && Part.size() - dot <= LongestExtension ? Part.size() - dot : 0;
    return CutOnCharacter(Part.substr(0, Part.size() - extension), MostBytesOfAPart - extension) +
           Part.substr(Part.size() - extension);
}

// Windows ends no name with a dot or a blank.
std::string TrimmedEnd(std::string Part, NameRules Rules) {
    while (Rules == NameRules::Windows && !Part.empty() &&
           (Part.back() == '.' || Part.back() == ' ')) {
        Part.back() = '_';
    }
    return Part;
}

// One part of the path (no '/'); Filled tells whether a text was put in.
std::string ExpandPart(const std::string& Pattern, const TrackTags& Tags, NameRules Rules,
                       bool& Filled) {
    std::string part;
    for (std::size_t i = 0; i < Pattern.size(); ++i) {
        if (Pattern[i] != '%' || i + 1 == Pattern.size()) {
            part += Pattern[i];
            continue;
        }
        const char field = Pattern[++i];
        bool known = false;
        const std::string text = FieldText(field, Tags, known);
        if (field == '%') {
            part += '%';
        } else if (known) {
            part += SafeText(text, Rules);
            Filled = true;
        } else {
            part += '%';
            part += field;
        }
    }
    return part;
}

} // namespace

std::string ExpandName(const std::string& Pattern, const TrackTags& Tags, NameRules Rules) {
    if (Pattern.empty()) {
        return "Track" + TwoDigits(Tags.TrackNumber) + ".mp3";
    }
    std::string name;
    std::size_t from = 0;
    for (;;) {
        const std::size_t slash = Pattern.find('/', from);
        const std::size_t length = slash == std::string::npos ? slash : slash - from;
        bool filled = false;
        const std::string part = ExpandPart(Pattern.substr(from, length), Tags, Rules, filled);
        // A part the user wrote out is left as written: one too long is
        // refused when the file is made, as any name is.
        name += filled ? TrimmedEnd(CutPart(part), Rules) : part;
        if (slash == std::string::npos) {
            return name;
        }
        name += '/';
        from = slash + 1;
    }
}

} // namespace kestrune::rip
