// Cue sheets: libcue parses the sheet and gives the tracks' modes, flags and
// ISRCs. Its interface does not tell the file types (BINARY, MOTOROLA, WAVE),
// the track numbers, the catalogue number, PREGAP apart from INDEX 00, or in
// which file an index lies, so a line scan of our own reads those. It reads
// the CD-Text too: libcue's cdtext_get has the name of one of libcdio's, and
// in a library linked with both the call lands in libcdio.

#include "cue_sheet.h"

#include "last_error.h"
#include "sheet_files.h"
#include "sheet_syntax.h"
#include "wave_file.h"

#include <libcue.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <string_view>

namespace discread {

namespace {

struct CueFile {
    std::string Name;
    std::string Type;
};

struct CueTrack {
    int Number = 0;
    std::string Mode;
    std::int64_t Index1 = -1;
    int Index1File = -1;
    std::int64_t Index0 = -1;
    int Index0File = -1;
    std::int64_t Pregap = 0;
    std::int64_t Postgap = 0;
    std::string Title, Performer, Songwriter;
};

struct CueScan {
    std::vector<CueFile> Files;
    std::vector<CueTrack> Tracks;
    std::string Catalog, Title, Performer;
    std::string Text; // the sheet with its keywords in capitals, for libcue
};

std::string Upper(std::string_view Word) {
    std::string upper(Word);
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return upper;
}

// The words of a line; a quoted name is one word, without its quotes.
std::vector<std::string> Words(std::string_view Line) {
    std::vector<std::string> words;
    for (SheetToken& token : TokenizeSheet(Line, CueSyntax)) {
        words.push_back(std::move(token.Text));
    }
    return words;
}

struct SectorFormat {
    std::int64_t Bytes;
    bool Audio;
};

SectorFormat FormatOf(const std::string& Mode, const std::string& Image, int Number) {
    static const std::array<std::pair<std::string_view, SectorFormat>, 9> modes{{
        {"AUDIO", {2352, true}},
        {"MODE1/2352", {2352, false}},
        {"MODE2/2352", {2352, false}},
        {"CDI/2352", {2352, false}},
        {"MODE1/2048", {2048, false}},
        {"MODE2/2048", {2048, false}},
        {"MODE2/2324", {2324, false}},
        {"MODE2/2336", {2336, false}},
        {"CDI/2336", {2336, false}},
    }};
    for (const auto& [name, format] : modes) {
        if (Mode == name) {
            return format;
        }
    }
    throw CannotOpen(Image, "track " + std::to_string(Number) + " has the mode " + Mode +
                                ", which cannot be read");
}

class Scanner {
public:
    explicit Scanner(std::string AImage) : FImage(std::move(AImage)) {}

    [[noreturn]] void Fail(const std::string& Why) const {
        throw CannotOpen(FImage, "line " + std::to_string(FLine) + " " + Why);
    }

    std::int64_t Time(const std::string& Text) const {
        const CdTime time = ParseCdTime(Text);
        if (time.Fault != CdTimeFault::None) {
            Fail(CdTimeRefusal(Text, time.Fault));
        }
        return time.Sectors;
    }

    CueScan Scan(const std::string& Sheet) {
        CueScan scan;
        std::size_t from = 0;
        while (from < Sheet.size()) {
            const auto newline = Sheet.find('\n', from);
            const std::string_view line(Sheet.data() + from, newline - from);
            from = newline + 1;
            ++FLine;
            Line(line, scan);
        }
        if (scan.Tracks.empty()) {
            throw CannotOpen(FImage, "it lists no tracks");
        }
        for (const CueTrack& track : scan.Tracks) {
            if (track.Index1 < 0) {
                throw CannotOpen(FImage,
                                 "track " + std::to_string(track.Number) + " has no INDEX 01");
            }
        }
        return scan;
    }

private:
    void Line(std::string_view Text, CueScan& Scan) {
        auto words = Words(Text);
        if (words.empty()) {
            Scan.Text += '\n';
            return;
        }
        const std::string keyword = Upper(words[0]);
        // libcue knows its keywords in capitals only.
        const auto first = Text.find_first_not_of(" \t");
        std::string line(Text);
        line.replace(first, keyword.size(), keyword);
        CueTrack* const track = Scan.Tracks.empty() ? nullptr : &Scan.Tracks.back();
        if (keyword == "REM" || keyword == "TITLE" || keyword == "PERFORMER" ||
            keyword == "SONGWRITER" || keyword == "CDTEXTFILE" || keyword == "ISRC" ||
            keyword == "FLAGS" || keyword == "COMPOSER" || keyword == "ARRANGER" ||
            keyword == "MESSAGE" || keyword == "DISC_ID" || keyword == "GENRE" ||
            keyword == "UPC_EAN" || keyword == "SIZE_INFO" || keyword == "TOC_INFO1" ||
            keyword == "TOC_INFO2") {
            if (keyword == "FLAGS") {
                line = Upper(line);
            }
            const std::string value = words.size() > 1 ? words[1] : std::string();
            if (keyword == "TITLE") {
                (track != nullptr ? track->Title : Scan.Title) = value;
            } else if (keyword == "PERFORMER") {
                (track != nullptr ? track->Performer : Scan.Performer) = value;
            } else if (keyword == "SONGWRITER" && track != nullptr) {
                track->Songwriter = value;
            }
        } else if (keyword == "CATALOG") {
            Scan.Catalog = words.size() > 1 ? words[1] : std::string();
        } else if (keyword == "FILE") {
            if (words.size() < 3) {
                Fail("names no file or no file type");
            }
            std::string name = words[1];
            for (std::size_t i = 2; i + 1 < words.size(); ++i) {
                name += " " + words[i];
            }
            const std::string type = Upper(words.back());
            Scan.Files.push_back({name, type});
            // libcue wants the type in capitals and a quoted name.
            line = "FILE \"" + name + "\" " + type;
        } else if (keyword == "TRACK") {
            if (Scan.Files.empty()) {
                Fail("lists a track before any FILE");
            }
            int number = 0;
            if (words.size() != 3 ||
                std::from_chars(words[1].data(), words[1].data() + words[1].size(), number).ptr !=
                    words[1].data() + words[1].size()) {
                Fail("is not \"TRACK number mode\"");
            }
            CueTrack added;
            added.Number = number;
            added.Mode = Upper(words[2]);
            FormatOf(added.Mode, FImage, number);
            Scan.Tracks.push_back(added);
            line = "  TRACK " + words[1] + " " + added.Mode;
        } else if (keyword == "INDEX") {
            if (track == nullptr || words.size() != 3) {
                Fail("is not \"INDEX number mm:ss:ff\" inside a track");
            }
            const std::int64_t at = Time(words[2]);
            const auto file = static_cast<int>(Scan.Files.size()) - 1;
            if (words[1] == "01" || words[1] == "1") {
                track->Index1 = at;
                track->Index1File = file;
            } else if (words[1] == "00" || words[1] == "0") {
                track->Index0 = at;
                track->Index0File = file;
            }
        } else if (keyword == "PREGAP" || keyword == "POSTGAP") {
            if (track == nullptr || words.size() != 2) {
                Fail("is not \"" + keyword + " mm:ss:ff\" inside a track");
            }
            (keyword == "PREGAP" ? track->Pregap : track->Postgap) = Time(words[1]);
        } else {
            Fail("has the unknown keyword \"" + words[0] + "\"");
        }
        Scan.Text += line + '\n';
    }

    std::string FImage;
    int FLine = 0;
};

struct FreeCd {
    void operator()(Cd* Disc) const { cd_delete(Disc); }
};

// A file the sheet names, opened, with where its sectors are.
struct OpenedFile {
    RegularFile File;
    std::int64_t Offset = 0;
    std::int64_t Bytes = 0;
    bool Swap = false;
};

OpenedFile OpenNamedFile(const std::string& Sheet, const CueFile& Named, bool OnlyFile) {
    std::string path = FindNamedFile(Sheet, Named.Name);
    if (path.empty() && OnlyFile) {
        // The usual pair: NAME.cue beside NAME.bin, whatever the sheet says.
        const std::string twin = Sheet.substr(0, Sheet.size() - 4) + ".bin";
        if (RegularFileProblem(twin) != "does not exist") {
            path = twin;
        }
    }
    if (path.empty()) {
        throw CannotOpen(Sheet, "the file \"" + Named.Name + "\" it names does not exist");
    }
    try {
        RegularFile file(path);
        if (Named.Type == "BINARY" || Named.Type == "MOTOROLA") {
            const std::int64_t size = file.Size();
            return {std::move(file), 0, size, Named.Type == "MOTOROLA"};
        }
        if (Named.Type == "WAVE") {
            const WaveData data = FindWaveData(file);
            return {std::move(file), data.Offset, data.Bytes, false};
        }
    } catch (const FileError& e) {
        throw CannotOpen(Sheet, "the file " + std::string(e.what()));
    }
    throw CannotOpen(Sheet, "the file \"" + Named.Name + "\" is of type " + Named.Type +
                                "; only BINARY, MOTOROLA and WAVE files can be read");
}

} // namespace

std::unique_ptr<ImageReader> OpenCueSheet(const std::string& Path) {
    std::string sheet;
    try {
        sheet = ReadSheet(Path);
    } catch (const FileError& e) {
        throw CannotOpen(Path, "the sheet " + std::string(e.what()));
    }
    const CueScan scan = Scanner(Path).Scan(sheet);
    const std::unique_ptr<Cd, FreeCd> parsed(cue_parse_string(scan.Text.c_str()));
    if (!parsed || cd_get_ntrack(parsed.get()) != static_cast<int>(scan.Tracks.size())) {
        throw CannotOpen(Path, "it is not a cue sheet that can be read");
    }

    ImageLayout layout;
    layout.SheetFiles.push_back(Path);
    layout.Catalog = scan.Catalog;
    layout.Title = scan.Title;
    layout.Performer = scan.Performer;
    std::vector<RegularFile> files;
    for (std::size_t f = 0; f < scan.Files.size(); ++f) {
        OpenedFile opened = OpenNamedFile(Path, scan.Files[f], scan.Files.size() == 1);
        if (opened.Bytes / RawSectorBytes > MaxDiscSectors) {
            throw CannotOpen(Path, "the file \"" + opened.File.Path() +
                                       "\" is larger than the longest CD");
        }
        layout.SheetFiles.push_back(opened.File.Path());
        layout.Files.push_back({opened.File.Path(), opened.Offset + opened.Bytes});

        // The file's tracks (those whose INDEX 01 lies in it), in order.
        std::vector<std::size_t> inFile;
        for (std::size_t t = 0; t < scan.Tracks.size(); ++t) {
            if (scan.Tracks[t].Index1File == static_cast<int>(f)) {
                inFile.push_back(t);
            }
        }
        const auto fileIndex = static_cast<int>(f);
        std::int64_t byte = opened.Offset;
        const std::int64_t end = opened.Offset + opened.Bytes;
        std::int64_t position = 0; // in the file's sectors
        std::int64_t sectorBytes =
            inFile.empty()
                ? RawSectorBytes
                : FormatOf(scan.Tracks[inFile[0]].Mode, Path, scan.Tracks[inFile[0]].Number).Bytes;
        for (std::size_t k = 0; k < inFile.size(); ++k) {
            const CueTrack& cue = scan.Tracks[inFile[k]];
            const SectorFormat format = FormatOf(cue.Mode, Path, cue.Number);
            if (cue.Index1 < position) {
                throw CannotOpen(Path, "track " + std::to_string(cue.Number) +
                                           " starts before the track in front of it ends");
            }
            if (cue.Index0File == cue.Index1File && cue.Index0 > cue.Index1) {
                throw CannotOpen(Path, "track " + std::to_string(cue.Number) +
                                           " has its INDEX 00 after its INDEX 01");
            }
            // What lies before this INDEX 01 belongs to the track in front (or,
            // at the file's start, to this track's pregap).
            layout.AppendFile(fileIndex, byte, cue.Index1 - position, sectorBytes, opened.Swap);
            byte += (cue.Index1 - position) * sectorBytes;
            position = cue.Index1;
            sectorBytes = format.Bytes;
            layout.AppendSilence(cue.Pregap);

            Track* const info = cd_get_track(parsed.get(), static_cast<int>(inFile[k]) + 1);
            ImageTrack track;
            track.Number = cue.Number;
            track.Start = layout.End();
            track.Control = static_cast<std::uint8_t>(
                (format.Audio ? 0 : DR_CONTROL_DATA) |
                (track_is_set_flag(info, FLAG_PRE_EMPHASIS) != 0 ? DR_CONTROL_PRE_EMPHASIS : 0) |
                (track_is_set_flag(info, FLAG_COPY_PERMITTED) != 0 ? DR_CONTROL_COPY_PERMITTED
                                                                   : 0) |
                (track_is_set_flag(info, FLAG_FOUR_CHANNEL) != 0 ? DR_CONTROL_FOUR_CHANNELS : 0));
            const char* isrc = track_get_isrc(info);
            track.Isrc = isrc == nullptr ? std::string() : isrc;
            track.Title = cue.Title;
            track.Performer = cue.Performer;
            track.Songwriter = cue.Songwriter;
            layout.Tracks.push_back(track);

            // The track runs to the next one's INDEX 01 in this file, or to the
            // file's end (a last sector held in part counts as whole).
            std::int64_t next = 0;
            if (k + 1 < inFile.size()) {
                // Up to the next track's INDEX 00 when it lies in this file: a
                // POSTGAP comes before the next track's pregap.
                const CueTrack& following = scan.Tracks[inFile[k + 1]];
                next = following.Index0 >= 0 && following.Index0File == fileIndex
                           ? following.Index0
                           : following.Index1;
            } else {
                next = position +
                       std::max<std::int64_t>(0, (end - byte + sectorBytes - 1) / sectorBytes);
            }
            next = std::max(next, position);
            layout.AppendFile(fileIndex, byte, next - position, sectorBytes, opened.Swap);
            byte += (next - position) * sectorBytes;
            position = next;
            layout.AppendSilence(cue.Postgap);
        }
        if (inFile.empty()) {
            // A file with no track starting in it (the tail of the track in front).
            layout.AppendFile(fileIndex, byte, (end - byte + sectorBytes - 1) / sectorBytes,
                              sectorBytes, opened.Swap);
        }
        files.push_back(std::move(opened.File));
    }
    for (const CueTrack& cue : scan.Tracks) {
        if (cue.Index1File < 0) {
            throw CannotOpen(Path, "track " + std::to_string(cue.Number) + " has no INDEX 01");
        }
    }
    layout.Check(Path);
    return std::make_unique<ImageReader>(std::move(layout), std::move(files));
}

} // namespace discread
