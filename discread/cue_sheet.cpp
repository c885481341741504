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
std::vector<std::string> WordsOf(std::string_view Line) {
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
        std::size_t from = 0;
        while (from < Sheet.size()) {
            const auto newline = Sheet.find('\n', from);
            const std::string_view line(Sheet.data() + from, newline - from);
            from = newline + 1;
            ++FLine;
            FScan.Text += Line(line) + '\n';
        }
        if (FScan.Tracks.empty()) {
            throw CannotOpen(FImage, "it lists no tracks");
        }
        for (const CueTrack& track : FScan.Tracks) {
            if (track.Index1 < 0) {
                throw CannotOpen(FImage,
                                 "track " + std::to_string(track.Number) + " has no INDEX 01");
            }
        }
        return std::move(FScan);
    }

private:
    using Words = std::vector<std::string>;

    // Reads one line; returns it as libcue is given it.
    std::string Line(std::string_view Text) {
        const Words words = WordsOf(Text);
        if (words.empty()) {
            return {};
        }
        const std::string keyword = Upper(words[0]);
        // libcue knows its keywords in capitals only.
        const auto first = Text.find_first_not_of(" \t");
        std::string line(Text);
        line.replace(first, keyword.size(), keyword);
        if (IsTextKeyword(keyword)) {
            TextLine(keyword, words);
            return keyword == "FLAGS" ? Upper(line) : line;
        }
        if (keyword == "CATALOG") {
            FScan.Catalog = words.size() > 1 ? words[1] : std::string();
        } else if (keyword == "FILE") {
            return FileLine(words);
        } else if (keyword == "TRACK") {
            return TrackLine(words);
        } else if (keyword == "INDEX") {
            IndexLine(words);
        } else if (keyword == "PREGAP" || keyword == "POSTGAP") {
            CueTrack* const track = Current();
            if (track == nullptr || words.size() != 2) {
                Fail("is not \"" + keyword + " mm:ss:ff\" inside a track");
            }
            (keyword == "PREGAP" ? track->Pregap : track->Postgap) = Time(words[1]);
        } else {
            Fail("has the unknown keyword \"" + words[0] + "\"");
        }
        return line;
    }

    static bool IsTextKeyword(const std::string& Keyword) {
        static constexpr std::array<std::string_view, 16> keywords{
            "REM",     "TITLE",     "PERFORMER", "SONGWRITER", "CDTEXTFILE", "ISRC",
            "FLAGS",   "COMPOSER",  "ARRANGER",  "MESSAGE",    "DISC_ID",    "GENRE",
            "UPC_EAN", "SIZE_INFO", "TOC_INFO1", "TOC_INFO2"};
        return std::find(keywords.begin(), keywords.end(), Keyword) != keywords.end();
    }

    CueTrack* Current() { return FScan.Tracks.empty() ? nullptr : &FScan.Tracks.back(); }

    // The texts we keep ourselves; libcue reads the flags and the ISRC.
    void TextLine(const std::string& Keyword, const Words& AWords) {
        const std::string value = AWords.size() > 1 ? AWords[1] : std::string();
        CueTrack* const track = Current();
        if (Keyword == "TITLE") {
            (track != nullptr ? track->Title : FScan.Title) = value;
        } else if (Keyword == "PERFORMER") {
            (track != nullptr ? track->Performer : FScan.Performer) = value;
        } else if (Keyword == "SONGWRITER" && track != nullptr) {
            track->Songwriter = value;
        }
    }

    std::string FileLine(const Words& AWords) {
        if (AWords.size() < 3) {
            Fail("names no file or no file type");
        }
        std::string name = AWords[1];
        for (std::size_t i = 2; i + 1 < AWords.size(); ++i) {
            name += " " + AWords[i];
        }
        const std::string type = Upper(AWords.back());
        FScan.Files.push_back({name, type});
        // libcue wants the type in capitals and a quoted name.
        return "FILE \"" + name + "\" " + type;
    }

    std::string TrackLine(const Words& AWords) {
        if (FScan.Files.empty()) {
            Fail("lists a track before any FILE");
        }
        int number = 0;
        if (AWords.size() != 3 ||
            std::from_chars(AWords[1].data(), AWords[1].data() + AWords[1].size(), number).ptr !=
                AWords[1].data() + AWords[1].size()) {
            Fail("is not \"TRACK number mode\"");
        }
        CueTrack added;
        added.Number = number;
        added.Mode = Upper(AWords[2]);
        FormatOf(added.Mode, FImage, number);
        FScan.Tracks.push_back(added);
        return "  TRACK " + AWords[1] + " " + added.Mode;
    }

    void IndexLine(const Words& AWords) {
        CueTrack* const track = Current();
        if (track == nullptr || AWords.size() != 3) {
            Fail("is not \"INDEX number mm:ss:ff\" inside a track");
        }
        const std::int64_t at = Time(AWords[2]);
        const auto file = static_cast<int>(FScan.Files.size()) - 1;
        if (AWords[1] == "01" || AWords[1] == "1") {
            track->Index1 = at;
            track->Index1File = file;
        } else if (AWords[1] == "00" || AWords[1] == "0") {
            track->Index0 = at;
            track->Index0File = file;
        }
    }

    std::string FImage;
    int FLine = 0;
    CueScan FScan;
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

// The disc a scanned sheet describes, built file by file: each file's
// sectors go to the tracks whose INDEX 01 lies in it, in order.
class CueLayout {
public:
    // libcue's calls take no const disc, though they only read it.
    CueLayout(const std::string& APath, const CueScan& AScan, Cd& AParsed)
        : FPath(APath), FScan(AScan), FParsed(AParsed) {
        FLayout.SheetFiles.push_back(FPath);
        FLayout.Catalog = FScan.Catalog;
        FLayout.Title = FScan.Title;
        FLayout.Performer = FScan.Performer;
    }

    std::unique_ptr<ImageReader> Build() {
        for (std::size_t f = 0; f < FScan.Files.size(); ++f) {
            AddFile(static_cast<int>(f));
        }
        for (const CueTrack& cue : FScan.Tracks) {
            if (cue.Index1File < 0) {
                throw CannotOpen(FPath, "track " + std::to_string(cue.Number) + " has no INDEX 01");
            }
        }
        FLayout.Check(FPath);
        return std::make_unique<ImageReader>(std::move(FLayout), std::move(FFiles));
    }

private:
    // Where the reading of the current file stands.
    struct FileCursor {
        int File = 0;
        std::int64_t Byte = 0;
        std::int64_t End = 0;
        std::int64_t Position = 0; // in the file's sectors
        std::int64_t SectorBytes = RawSectorBytes;
        bool Swap = false;
    };

    void AddFile(int File) {
        OpenedFile opened = OpenNamedFile(FPath, FScan.Files[static_cast<std::size_t>(File)],
                                          FScan.Files.size() == 1);
        if (opened.Bytes / RawSectorBytes > MaxDiscSectors) {
            throw CannotOpen(FPath, "the file \"" + opened.File.Path() +
                                        "\" is larger than the longest CD");
        }
        FLayout.SheetFiles.push_back(opened.File.Path());
        FLayout.Files.push_back({opened.File.Path(), opened.Offset + opened.Bytes});

        std::vector<std::size_t> inFile;
        for (std::size_t t = 0; t < FScan.Tracks.size(); ++t) {
            if (FScan.Tracks[t].Index1File == File) {
                inFile.push_back(t);
            }
        }
        FileCursor at{File, opened.Offset,  opened.Offset + opened.Bytes,
                      0,    RawSectorBytes, opened.Swap};
        if (!inFile.empty()) {
            const CueTrack& first = FScan.Tracks[inFile[0]];
            at.SectorBytes = FormatOf(first.Mode, FPath, first.Number).Bytes;
        }
        for (std::size_t k = 0; k < inFile.size(); ++k) {
            const CueTrack* const next =
                k + 1 < inFile.size() ? &FScan.Tracks[inFile[k + 1]] : nullptr;
            AddTrack(inFile[k], next, at);
        }
        if (inFile.empty()) {
            // A file with no track starting in it (the tail of the track in front).
            Append(at, (at.End - at.Byte + at.SectorBytes - 1) / at.SectorBytes);
        }
        FFiles.push_back(std::move(opened.File));
    }

    void AddTrack(std::size_t Index, const CueTrack* Next, FileCursor& At) {
        const CueTrack& cue = FScan.Tracks[Index];
        const SectorFormat format = FormatOf(cue.Mode, FPath, cue.Number);
        if (cue.Index1 < At.Position) {
            throw CannotOpen(FPath, "track " + std::to_string(cue.Number) +
                                        " starts before the track in front of it ends");
        }
        if (cue.Index0File == cue.Index1File && cue.Index0 > cue.Index1) {
            throw CannotOpen(FPath, "track " + std::to_string(cue.Number) +
                                        " has its INDEX 00 after its INDEX 01");
        }
        // What lies before this INDEX 01 belongs to the track in front (or,
        // at the file's start, to this track's pregap).
        Append(At, cue.Index1 - At.Position);
        At.SectorBytes = format.Bytes;
        FLayout.AppendSilence(cue.Pregap);
        FLayout.Tracks.push_back(TrackInfo(Index, format));

        // The track runs to the next one's INDEX 01 in this file (or its
        // INDEX 00 there: a POSTGAP comes before the next track's pregap), or
        // to the file's end, where a last sector held in part counts as whole.
        std::int64_t end = 0;
        if (Next != nullptr) {
            end = Next->Index0 >= 0 && Next->Index0File == At.File ? Next->Index0 : Next->Index1;
        } else {
            end = At.Position + std::max<std::int64_t>(0, (At.End - At.Byte + At.SectorBytes - 1) /
                                                              At.SectorBytes);
        }
        Append(At, std::max(end, At.Position) - At.Position);
        FLayout.AppendSilence(cue.Postgap);
    }

    void Append(FileCursor& At, std::int64_t Sectors) {
        // Where on the disc an INDEX 00 in these sectors lands.
        for (std::size_t t = 0; t < FScan.Tracks.size(); ++t) {
            const CueTrack& cue = FScan.Tracks[t];
            if (cue.Index0File == At.File && cue.Index0 >= At.Position &&
                cue.Index0 < At.Position + Sectors) {
                FIndex0Sector[t] = FLayout.End() + (cue.Index0 - At.Position);
            }
        }
        FLayout.AppendFile(At.File, At.Byte, Sectors, At.SectorBytes, At.Swap);
        At.Byte += Sectors * At.SectorBytes;
        At.Position += Sectors;
    }

    ImageTrack TrackInfo(std::size_t Index, const SectorFormat& Format) const {
        const CueTrack& cue = FScan.Tracks[Index];
        Track* const info = cd_get_track(&FParsed, static_cast<int>(Index) + 1);
        ImageTrack track;
        track.Number = cue.Number;
        track.Start = FLayout.End();
        // From INDEX 00 on (with any PREGAP silence after it), else the silence alone.
        track.Pregap = FIndex0Sector[Index] >= 0 ? track.Start - FIndex0Sector[Index] : cue.Pregap;
        track.Control = static_cast<std::uint8_t>(
            (Format.Audio ? 0 : DR_CONTROL_DATA) |
            (track_is_set_flag(info, FLAG_PRE_EMPHASIS) != 0 ? DR_CONTROL_PRE_EMPHASIS : 0) |
            (track_is_set_flag(info, FLAG_COPY_PERMITTED) != 0 ? DR_CONTROL_COPY_PERMITTED : 0) |
            (track_is_set_flag(info, FLAG_FOUR_CHANNEL) != 0 ? DR_CONTROL_FOUR_CHANNELS : 0));
        const char* isrc = track_get_isrc(info);
        track.Isrc = isrc == nullptr ? std::string() : isrc;
        track.Title = cue.Title;
        track.Performer = cue.Performer;
        track.Songwriter = cue.Songwriter;
        return track;
    }

    const std::string& FPath;
    const CueScan& FScan;
    Cd& FParsed;
    ImageLayout FLayout;
    std::vector<RegularFile> FFiles;
    std::vector<std::int64_t> FIndex0Sector = std::vector<std::int64_t>(FScan.Tracks.size(), -1);
};

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
    return CueLayout(Path, scan, *parsed).Build();
}

} // namespace discread
