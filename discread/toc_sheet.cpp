// cdrdao's .toc sheets. No Debian library reads them, so this is a small
// parser of our own: a tokenizer, then the sheet's statements in order. A disc
// is its tracks one after the other, and a track is its items (FILE, DATAFILE,
// SILENCE, ZERO, PREGAP) one after the other; START marks where INDEX 01 is.

#include "toc_sheet.h"

#include "last_error.h"
#include "sheet_files.h"
#include "sheet_syntax.h"
#include "wave_file.h"

#include <array>
#include <cctype>
#include <charconv>
#include <map>
#include <string_view>

namespace discread {

namespace {

enum class TokenKind { Word, String, Offset, Number, Time, Open, Close, Colon, Comma };

struct Token {
    TokenKind Kind;
    std::string Text;
    int Line;
};

constexpr std::int64_t FramesPerSector = 588;

class TocParser {
public:
    TocParser(std::string APath, const std::string& Text) : FPath(std::move(APath)) {
        Tokenize(Text);
    }

    std::unique_ptr<ImageReader> Parse() {
        FLayout.SheetFiles.push_back(FPath);
        Statements();
        if (FCurrent != nullptr) {
            FinishTrack(*FCurrent);
        }
        FLayout.Check(FPath);
        return std::make_unique<ImageReader>(std::move(FLayout), std::move(FOpened));
    }

private:
    struct TrackState {
        ImageTrack Info;
        std::int64_t Begin = 0;  // the first sector of the track's items
        std::int64_t Start = -1; // START, from Begin; -1 when none
        std::int64_t SectorBytes = RawSectorBytes;
        bool Audio = true;
        int Line = 0;
    };

    [[noreturn]] void Fail(const std::string& Why, int Line = 0) const {
        throw CannotOpen(FPath,
                         (Line > 0 ? "line " + std::to_string(Line) + " " : std::string()) + Why);
    }

    void Tokenize(const std::string& Text) {
        static constexpr SheetSyntax toc{.LineComments = true,
                                         .QuoteEscapes = true,
                                         .QuotesEndWords = true,
                                         .Marks = "{}:,",
                                         .TimesHoldColons = true};
        for (SheetToken& token : TokenizeSheet(Text, toc)) {
            if (token.Unclosed) {
                Fail("has a name whose closing quote is missing", token.Line);
            }
            FTokens.push_back({KindOf(token), std::move(token.Text), token.Line});
            if (FTokens.back().Kind == TokenKind::Offset) {
                FTokens.back().Text.erase(0, 1);
            }
        }
    }

    static TokenKind KindOf(const SheetToken& Token) {
        switch (Token.Kind) {
        case SheetTokenKind::Quoted:
            return TokenKind::String;
        case SheetTokenKind::Mark:
            return Token.Text == "{"   ? TokenKind::Open
                   : Token.Text == "}" ? TokenKind::Close
                   : Token.Text == ":" ? TokenKind::Colon
                                       : TokenKind::Comma;
        case SheetTokenKind::Word:
            break;
        }
        if (Token.Text.starts_with('#')) {
            return TokenKind::Offset;
        }
        if (std::isdigit(static_cast<unsigned char>(Token.Text[0])) != 0) {
            return Token.Text.find(':') != std::string::npos ? TokenKind::Time : TokenKind::Number;
        }
        return TokenKind::Word;
    }

    bool AtEnd() const { return FNext >= FTokens.size(); }
    const Token& Peek() const { return FTokens[FNext]; }
    int Line() const { return AtEnd() ? (FTokens.empty() ? 0 : FTokens.back().Line) : Peek().Line; }
    bool PeekWord(std::string_view Word) const {
        return !AtEnd() && Peek().Kind == TokenKind::Word && Peek().Text == Word;
    }
    const Token& Take(TokenKind Kind, const char* What) {
        if (AtEnd() || Peek().Kind != Kind) {
            Fail(std::string("lacks ") + What + (AtEnd() ? " at its end" : ""), Line());
        }
        return FTokens[FNext++];
    }

    std::int64_t Whole(const std::string& Text, int Line) const {
        std::int64_t value = 0;
        const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
        if (error != std::errc() || end != Text.data() + Text.size() || value < 0 ||
            value > (std::int64_t{1} << 40)) {
            Fail("has the number \"" + Text + "\", which is out of range", Line);
        }
        return value;
    }

    // A length or position: mm:ss:ff, or a count of sample frames that must
    // make whole sectors.
    std::int64_t Sectors() {
        if (!AtEnd() && Peek().Kind == TokenKind::Number) {
            const Token& token = FTokens[FNext++];
            const std::int64_t frames = Whole(token.Text, token.Line);
            if (frames % FramesPerSector != 0) {
                Fail("gives " + token.Text + " samples, which is not a whole number of sectors",
                     token.Line);
            }
            return frames / FramesPerSector;
        }
        const Token& token = Take(TokenKind::Time, "a time mm:ss:ff");
        const CdTime time = ParseCdTime(token.Text);
        if (time.Fault != CdTimeFault::None) {
            Fail(CdTimeRefusal(token.Text, time.Fault), token.Line);
        }
        return time.Sectors;
    }
    bool AtLength() const {
        return !AtEnd() && (Peek().Kind == TokenKind::Time || Peek().Kind == TokenKind::Number);
    }

    // Skips a { ... } block, nested ones included.
    void SkipBlock() {
        Take(TokenKind::Open, "\"{\"");
        for (int depth = 1; depth > 0;) {
            if (AtEnd()) {
                Fail("has a \"{\" that is never closed");
            }
            const TokenKind kind = FTokens[FNext++].Kind;
            depth += kind == TokenKind::Open ? 1 : kind == TokenKind::Close ? -1 : 0;
        }
    }

    // CD_TEXT { LANGUAGE_MAP { ... } LANGUAGE 0 { TITLE "..." ... } }: keeps
    // the texts of language 0.
    void CdText(std::map<std::string, std::string>& Texts) {
        Take(TokenKind::Open, "\"{\" after CD_TEXT");
        while (!AtEnd() && Peek().Kind != TokenKind::Close) {
            if (PeekWord("LANGUAGE")) {
                ++FNext;
                const bool first = Take(TokenKind::Number, "a language number").Text == "0";
                Take(TokenKind::Open, "\"{\" after LANGUAGE");
                while (!AtEnd() && Peek().Kind != TokenKind::Close) {
                    const std::string key = Take(TokenKind::Word, "a CD-Text field").Text;
                    if (!AtEnd() && Peek().Kind == TokenKind::String) {
                        if (first) {
                            Texts[key] = Peek().Text;
                        }
                        ++FNext;
                    } else {
                        SkipBlock();
                    }
                }
                Take(TokenKind::Close, "\"}\"");
            } else {
                Take(TokenKind::Word, "LANGUAGE_MAP or LANGUAGE");
                SkipBlock();
            }
        }
        Take(TokenKind::Close, "\"}\" to end CD_TEXT");
    }

    // A file an item reads, opened once however many items read it.
    struct NamedData {
        int File = 0;
        bool Wave = false;
        std::int64_t Offset = 0; // where its samples begin (after a WAVE header)
        std::int64_t Bytes = 0;
        std::int64_t End() const { return Offset + Bytes; }
    };

    NamedData OpenFile(const std::string& Name, int Line) {
        const std::string path = FindNamedFile(FPath, Name);
        if (path.empty()) {
            Fail("the file \"" + Name + "\" it names does not exist");
        }
        std::string lower = path;
        for (char& c : lower) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        NamedData named;
        named.Wave = lower.ends_with(".wav");
        try {
            RegularFile file(path);
            named.Bytes = file.Size();
            if (named.Wave) {
                const WaveData data = FindWaveData(file);
                named.Offset = data.Offset;
                named.Bytes = data.Bytes;
            }
            if (named.Bytes / RawSectorBytes > MaxDiscSectors) {
                Fail("the file \"" + path + "\" is larger than the longest CD");
            }
            for (std::size_t i = 0; i < FLayout.Files.size(); ++i) {
                if (FLayout.Files[i].Path == path) {
                    named.File = static_cast<int>(i);
                    return named;
                }
            }
            FLayout.SheetFiles.push_back(path);
            FLayout.Files.push_back({path, named.End()});
            FOpened.push_back(std::move(file));
        } catch (const FileError& e) {
            Fail("the file " + std::string(e.what()), Line);
        }
        named.File = static_cast<int>(FLayout.Files.size()) - 1;
        return named;
    }

    // The sectors from byte From to End (a last sector held in part counts as
    // whole), unless the item gives its length.
    std::int64_t LengthFrom(std::int64_t From, std::int64_t End, std::int64_t SectorBytes) {
        if (AtLength()) {
            return Sectors();
        }
        const std::int64_t left = End - From;
        return left <= 0 ? 0 : (left + SectorBytes - 1) / SectorBytes;
    }

    // FILE "name" [SWAP] [#offset] start [length]
    void AudioFile(const Token& Item, const TrackState& Track) {
        if (!Track.Audio) {
            Fail("reads audio into a data track", Item.Line);
        }
        const std::string name = Take(TokenKind::String, "a file name").Text;
        bool swap = false;
        std::int64_t offset = 0;
        for (;;) {
            if (PeekWord("SWAP")) {
                swap = true;
                ++FNext;
            } else if (!AtEnd() && Peek().Kind == TokenKind::Offset) {
                offset = Whole(FTokens[FNext++].Text, Item.Line);
            } else {
                break;
            }
        }
        const std::int64_t start = Sectors();
        const NamedData named = OpenFile(name, Item.Line);
        const std::int64_t from = named.Offset + offset + start * RawSectorBytes;
        const std::int64_t length = LengthFrom(from, named.End(), RawSectorBytes);
        if (from > named.End()) {
            Fail("starts reading \"" + name + "\" past its end", Item.Line);
        }
        // cdrdao's raw audio is big-endian; a .wav file is little-endian.
        FLayout.AppendFile(named.File, from, length, RawSectorBytes, named.Wave == swap);
        Grown(Item.Line);
    }

    // DATAFILE "name" [#offset] [length]
    void DataFile(const Token& Item, const TrackState& Track) {
        const std::string name = Take(TokenKind::String, "a file name").Text;
        std::int64_t offset = 0;
        if (!AtEnd() && Peek().Kind == TokenKind::Offset) {
            offset = Whole(FTokens[FNext++].Text, Item.Line);
        }
        const NamedData named = OpenFile(name, Item.Line);
        const std::int64_t length = LengthFrom(offset, named.End(), Track.SectorBytes);
        FLayout.AppendFile(named.File, named.Offset + offset, length, Track.SectorBytes, false);
        Grown(Item.Line);
    }

    void Item(TrackState& Track) {
        const Token& token = FTokens[FNext++];
        const std::string& word = token.Text;
        if (word == "FILE" || word == "AUDIOFILE") {
            AudioFile(token, Track);
        } else if (word == "DATAFILE") {
            DataFile(token, Track);
        } else if (word == "SILENCE" || word == "ZERO") {
            // ZERO may name a data mode and a sub-channel mode before its length.
            while (word == "ZERO" && !AtEnd() && Peek().Kind == TokenKind::Word) {
                ++FNext;
            }
            FLayout.AppendSilence(Sectors());
            Grown(token.Line);
        } else if (word == "START") {
            if (Track.Start >= 0) {
                Fail("gives a second START for the track", token.Line);
            }
            Track.Start = AtLength() ? Sectors() : FLayout.End() - Track.Begin;
        } else if (word == "PREGAP") {
            if (FLayout.End() != Track.Begin || Track.Start >= 0) {
                Fail("has PREGAP after the track's first item", token.Line);
            }
            Track.Start = Sectors();
            FLayout.AppendSilence(Track.Start);
            Grown(token.Line);
        } else if (word == "INDEX") {
            Sectors();
        } else if (word == "FIFO") {
            Fail("reads from a FIFO, which is not a disc image", token.Line);
        } else {
            Fail("has \"" + word + "\" where a track's item belongs", token.Line);
        }
    }

    void Grown(int Line) const {
        if (FLayout.End() > MaxDiscSectors) {
            Fail("makes the disc longer than the longest CD", Line);
        }
    }

    void FinishTrack(TrackState& Track) {
        const std::int64_t length = FLayout.End() - Track.Begin;
        const std::int64_t start = std::max<std::int64_t>(Track.Start, 0);
        if (start >= length) {
            Fail(length == 0
                     ? "track " + std::to_string(Track.Info.Number) + " holds no sectors"
                     : "track " + std::to_string(Track.Info.Number) + " starts after its own end",
                 Track.Line);
        }
        Track.Info.Start = Track.Begin + start;
        // What comes before START (PREGAP silence or stored sectors) is the pregap.
        Track.Info.Pregap = start;
        FLayout.Tracks.push_back(Track.Info);
        FCurrent = nullptr;
    }

    void Statements() {
        while (!AtEnd()) {
            const Token& token = Peek();
            if (token.Kind != TokenKind::Word) {
                Fail("has \"" + token.Text + "\" where a keyword belongs", token.Line);
            }
            const std::string word = token.Text;
            if (word == "TRACK") {
                ++FNext;
                StartTrack(token.Line);
            } else if (word == "CD_DA" || word == "CD_ROM" || word == "CD_ROM_XA" ||
                       word == "CD_I") {
                ++FNext;
            } else if (word == "CATALOG") {
                ++FNext;
                FLayout.Catalog = Take(TokenKind::String, "a catalogue number").Text;
            } else if (word == "CD_TEXT") {
                ++FNext;
                Texts();
            } else if (FCurrent == nullptr) {
                Fail("has \"" + word + "\" before the first TRACK", token.Line);
            } else if (!TrackFlag(word, token.Line)) {
                Item(*FCurrent);
            }
        }
        if (FCurrent == nullptr) {
            Fail("it lists no tracks");
        }
    }

    void StartTrack(int Line) {
        if (FCurrent != nullptr) {
            FinishTrack(*FCurrent);
        }
        FTrack = TrackState{};
        FTrack.Info.Number = static_cast<int>(FLayout.Tracks.size()) + 1;
        FTrack.Begin = FLayout.End();
        FTrack.Line = Line;
        TrackMode(FTrack);
        FCurrent = &FTrack;
    }

    // The disc's texts before the first track, a track's after it.
    void Texts() {
        std::map<std::string, std::string> texts;
        CdText(texts);
        if (FCurrent == nullptr) {
            FLayout.Title = texts["TITLE"];
            FLayout.Performer = texts["PERFORMER"];
        } else {
            FCurrent->Info.Title = texts["TITLE"];
            FCurrent->Info.Performer = texts["PERFORMER"];
            FCurrent->Info.Songwriter = texts["SONGWRITER"];
        }
    }

    // A statement about the current track rather than one of its items; false
    // when Word is none.
    bool TrackFlag(const std::string& Word, int Line) {
        ImageTrack& info = FCurrent->Info;
        if (Word == "NO") {
            ++FNext;
            const std::string what = Take(TokenKind::Word, "COPY or PRE_EMPHASIS").Text;
            if (what != "COPY" && what != "PRE_EMPHASIS") {
                Fail("has NO " + what, Line);
            }
        } else if (Word == "COPY") {
            ++FNext;
            info.Control |= DR_CONTROL_COPY_PERMITTED;
        } else if (Word == "PRE_EMPHASIS") {
            ++FNext;
            info.Control |= DR_CONTROL_PRE_EMPHASIS;
        } else if (Word == "FOUR_CHANNEL_AUDIO") {
            ++FNext;
            info.Control |= DR_CONTROL_FOUR_CHANNELS;
        } else if (Word == "TWO_CHANNEL_AUDIO") {
            ++FNext;
        } else if (Word == "ISRC") {
            ++FNext;
            info.Isrc = Take(TokenKind::String, "an ISRC").Text;
        } else if (Word == "SWAP") {
            // Written after the file it belongs to.
            ++FNext;
            if (FLayout.Extents.empty() || FLayout.Extents.back().File < 0 ||
                FLayout.End() == FCurrent->Begin) {
                Fail("has SWAP without an audio file before it", Line);
            }
            FLayout.Extents.back().Swap = !FLayout.Extents.back().Swap;
        } else {
            return false;
        }
        return true;
    }

    void TrackMode(TrackState& Track) {
        static const std::array<std::pair<std::string_view, std::int64_t>, 9> modes{{
            {"AUDIO", 2352},
            {"MODE1_RAW", 2352},
            {"MODE2_RAW", 2352},
            {"MODE1", 2048},
            {"MODE2_FORM1", 2048},
            {"MODE2_FORM2", 2324},
            {"MODE2_FORM_MIX", 2336},
            {"MODE2", 2336},
            {"MODE0", 2336},
        }};
        const Token& mode = Take(TokenKind::Word, "the track's mode");
        for (const auto& [name, bytes] : modes) {
            if (mode.Text == name) {
                Track.SectorBytes = bytes;
                Track.Audio = name == "AUDIO";
                Track.Info.Control = Track.Audio ? 0 : DR_CONTROL_DATA;
                if (PeekWord("RW") || PeekWord("RW_RAW")) {
                    Fail("stores sub-channel data, which cannot be read", mode.Line);
                }
                return;
            }
        }
        Fail("has the track mode \"" + mode.Text + "\", which is not known", mode.Line);
    }

    std::string FPath;
    std::vector<Token> FTokens;
    std::size_t FNext = 0;
    ImageLayout FLayout;
    std::vector<RegularFile> FOpened;
    TrackState FTrack;
    TrackState* FCurrent = nullptr;
};

} // namespace

std::unique_ptr<ImageReader> OpenTocSheet(const std::string& Path) {
    std::string sheet;
    try {
        sheet = ReadSheet(Path);
    } catch (const FileError& e) {
        throw CannotOpen(Path, "the sheet " + std::string(e.what()));
    }
    return TocParser(Path, sheet).Parse();
}

} // namespace discread
