#include "tools/mkdisc/image_writer.h"

#include "tools/mkdisc/audio_synthesis.h"

#include "discread/cd_time.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <stdexcept>

namespace kestrune::mkdisc {

namespace {

std::array<std::uint8_t, 3> BcdAddress(std::int64_t Lsn) {
    const std::int64_t lba = Lsn + 150;
    const auto bcd = [](std::int64_t v) { return static_cast<std::uint8_t>(v / 10 * 16 + v % 10); };
    return {bcd(lba / 75 / 60), bcd(lba / 75 % 60), bcd(lba % 75)};
}

std::vector<std::uint8_t> DataSectors(std::int64_t FirstLsn, std::int32_t Count) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(Count) * SectorBytes, 0);
    for (std::int32_t i = 0; i < Count; ++i) {
        std::uint8_t* const sector = bytes.data() + static_cast<std::size_t>(i) * SectorBytes;
        std::memset(sector + 1, 0xFF, 10);
        const auto address = BcdAddress(FirstLsn + i);
        std::memcpy(sector + 12, address.data(), address.size());
        sector[15] = 1;
        for (int b = 0; b < 2048; ++b) {
            sector[16 + b] = static_cast<std::uint8_t>((i + b) & 0xFF);
        }
    }
    return bytes;
}

void AppendSamples(std::vector<std::uint8_t>& Bytes, const std::vector<std::int16_t>& Pcm) {
    const std::size_t at = Bytes.size();
    Bytes.resize(at + Pcm.size() * 2);
    for (std::size_t i = 0; i < Pcm.size(); ++i) {
        const auto sample = static_cast<std::uint16_t>(Pcm[i]);
        Bytes[at + 2 * i] = static_cast<std::uint8_t>(sample & 0xFF);
        Bytes[at + 2 * i + 1] = static_cast<std::uint8_t>(sample >> 8);
    }
}

void AppendZeros(std::vector<std::uint8_t>& Bytes, std::int64_t Sectors) {
    Bytes.resize(Bytes.size() + static_cast<std::size_t>(Sectors) * SectorBytes, 0);
}

// The sectors of a track as the disc holds them; a data track's headers carry
// their own addresses, so they depend on where it starts.
std::vector<std::uint8_t> TrackSectors(const TrackSpec& Track, std::int64_t Start) {
    if (Track.Data) {
        return DataSectors(Start, Track.Sectors);
    }
    std::vector<std::uint8_t> bytes;
    AppendSamples(bytes, RenderAudio(Track));
    return bytes;
}

void Swap16(std::vector<std::uint8_t>& Bytes, std::size_t From, std::size_t To) {
    for (std::size_t i = From; i + 1 < To; i += 2) {
        std::swap(Bytes[i], Bytes[i + 1]);
    }
}

void PutLe(std::string& Out, std::uint32_t Value, int Bytes) {
    for (int i = 0; i < Bytes; ++i) {
        Out += static_cast<char>((Value >> (8 * i)) & 0xFF);
    }
}

// A RIFF WAVE header; an odd-sized LIST chunk before the samples makes readers
// walk the chunks instead of assuming 44 bytes.
std::string WaveHeader(std::size_t DataBytes) {
    std::string chunks = "fmt ";
    PutLe(chunks, 16, 4);
    PutLe(chunks, 1, 2);
    PutLe(chunks, 2, 2);
    PutLe(chunks, SampleRate, 4);
    PutLe(chunks, SampleRate * 4, 4);
    PutLe(chunks, 4, 2);
    PutLe(chunks, 16, 2);
    chunks += "LIST";
    PutLe(chunks, 5, 4);
    chunks += std::string("INFOx") + '\0';
    chunks += "data";
    PutLe(chunks, static_cast<std::uint32_t>(DataBytes), 4);
    std::string header = "RIFF";
    PutLe(header, static_cast<std::uint32_t>(4 + chunks.size() + DataBytes), 4);
    return header + "WAVE" + chunks;
}

void WriteFile(const std::string& Path, const std::string& Head,
               const std::vector<std::uint8_t>& Bytes) {
    std::ofstream out(Path, std::ios::binary | std::ios::trunc);
    out.write(Head.data(), static_cast<std::streamsize>(Head.size()));
    out.write(reinterpret_cast<const char*>(Bytes.data()),
              static_cast<std::streamsize>(Bytes.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + Path + ": " + std::strerror(errno));
    }
}

std::string TrackNumber(const DiscSpec& Disc, std::size_t Position) {
    char number[24];
    std::snprintf(number, sizeof number, "%02d", Disc.FirstTrack + static_cast<int>(Position));
    return number;
}

std::string FileName(const std::string& Path) {
    return std::filesystem::path(Path).filename().string();
}

// A file of the image: its name, its bytes as the disc holds them and the
// byte ranges of audio in it (which MOTOROLA or a .toc without SWAP store
// big-endian).
struct ImageFile {
    std::string Path;
    std::vector<std::uint8_t> Bytes;
    std::vector<std::pair<std::size_t, std::size_t>> Audio;
};

// The disc's lines before its first FILE.
void WriteCueDiscTexts(std::ostream& Cue, const DiscSpec& Disc) {
    if (!Disc.Catalog.empty()) {
        Cue << "CATALOG " << Disc.Catalog << "\n";
    }
    if (!Disc.Performer.empty()) {
        Cue << "PERFORMER \"" << Disc.Performer << "\"\n";
    }
    if (!Disc.Title.empty()) {
        Cue << "TITLE \"" << Disc.Title << "\"\n";
    }
}

// A track's lines before its indexes.
void WriteCueTrackTexts(std::ostream& Cue, const TrackSpec& Track) {
    if (!Track.Title.empty()) {
        Cue << "    TITLE \"" << Track.Title << "\"\n";
    }
    if (Track.CopyPermitted || Track.PreEmphasis) {
        Cue << "    FLAGS" << (Track.CopyPermitted ? " DCP" : "")
            << (Track.PreEmphasis ? " PRE" : "") << "\n";
    }
    if (!Track.Isrc.empty()) {
        Cue << "    ISRC " << Track.Isrc << "\n";
    }
}

void WriteCue(const std::string& Base, const DiscSpec& Disc, std::vector<ImageFile>& Files) {
    const char* const type = Disc.Type == FileType::Wave       ? "WAVE"
                             : Disc.Type == FileType::Motorola ? "MOTOROLA"
                                                               : "BINARY";
    const char* const ending = Disc.Type == FileType::Wave ? ".wav" : ".bin";
    std::ofstream cue(Base + ".cue", std::ios::trunc);
    WriteCueDiscTexts(cue, Disc);
    std::int64_t lsn = 0;
    for (std::size_t i = 0; i < Disc.Tracks.size(); ++i) {
        const TrackSpec& track = Disc.Tracks[i];
        if (i == 0 || Disc.FilePerTrack) {
            const std::string path =
                Disc.FilePerTrack ? Base + "-" + TrackNumber(Disc, i) + ending : Base + ending;
            Files.push_back({path, {}, {}});
            cue << "FILE \"" << FileName(path) << "\" " << type << "\n";
        }
        ImageFile& file = Files.back();
        cue << "  TRACK " << TrackNumber(Disc, i) << (track.Data ? " MODE1/2352\n" : " AUDIO\n");
        WriteCueTrackTexts(cue, track);
        if (i > 0) {
            if (track.GapSectors > 0) {
                cue << "    PREGAP " << discread::FormatCdTime(track.GapSectors) << "\n";
                lsn += track.GapSectors;
            }
            if (track.PregapSectors > 0) {
                cue << "    INDEX 00 "
                    << discread::FormatCdTime(static_cast<std::int64_t>(file.Bytes.size()) /
                                              SectorBytes)
                    << "\n";
                AppendZeros(file.Bytes, track.PregapSectors);
                lsn += track.PregapSectors;
            }
        }
        cue << "    INDEX 01 "
            << discread::FormatCdTime(static_cast<std::int64_t>(file.Bytes.size()) / SectorBytes)
            << "\n";
        const std::size_t from = file.Bytes.size();
        const auto sectors = TrackSectors(track, lsn);
        file.Bytes.insert(file.Bytes.end(), sectors.begin(), sectors.end());
        if (Disc.Type == FileType::Motorola) {
            file.Audio.emplace_back(from, file.Bytes.size());
        }
        lsn += track.Sectors;
    }
    cue.close();
    if (!cue) {
        throw std::runtime_error("cannot write " + Base + ".cue");
    }
}

// The disc's statements before its first track.
void WriteTocDiscTexts(std::ostream& Toc, const DiscSpec& Disc, bool Data) {
    Toc << (Data ? "CD_ROM\n" : "CD_DA\n");
    if (!Disc.Catalog.empty()) {
        Toc << "CATALOG \"" << Disc.Catalog << "\"\n";
    }
    if (!Disc.Title.empty() || !Disc.Performer.empty()) {
        Toc << "CD_TEXT {\n  LANGUAGE_MAP {\n    0 : EN\n  }\n  LANGUAGE 0 {\n    TITLE \""
            << Disc.Title << "\"\n    PERFORMER \"" << Disc.Performer << "\"\n  }\n}\n";
    }
}

// A track's statements before its items.
void WriteTocTrackTexts(std::ostream& Toc, const TrackSpec& Track) {
    Toc << (Track.CopyPermitted ? "COPY\n" : "NO COPY\n");
    if (Track.PreEmphasis) {
        Toc << "PRE_EMPHASIS\n";
    }
    if (!Track.Isrc.empty()) {
        Toc << "ISRC \"" << Track.Isrc << "\"\n";
    }
    if (!Track.Title.empty()) {
        Toc << "CD_TEXT {\n  LANGUAGE 0 {\n    TITLE \"" << Track.Title << "\"\n  }\n}\n";
    }
}

void WriteToc(const std::string& Base, const DiscSpec& Disc, std::vector<ImageFile>& Files) {
    bool data = false;
    for (const TrackSpec& track : Disc.Tracks) {
        data = data || track.Data;
    }
    Files.push_back({Base + ".raw",
                     std::vector<std::uint8_t>(static_cast<std::size_t>(Disc.TocOffsetBytes), 0x5A),
                     {}});
    ImageFile& file = Files.back();
    std::ofstream toc(Base + ".toc", std::ios::trunc);
    WriteTocDiscTexts(toc, Disc, data);
    const std::string name = FileName(file.Path);
    std::int64_t lsn = 0;
    for (std::size_t i = 0; i < Disc.Tracks.size(); ++i) {
        const TrackSpec& track = Disc.Tracks[i];
        toc << "\n// Track " << TrackNumber(Disc, i) << "\nTRACK "
            << (track.Data ? "MODE1_RAW" : "AUDIO") << "\n";
        WriteTocTrackTexts(toc, track);
        const std::int32_t pregap = i > 0 ? track.PregapSectors : 0;
        // PREGAP is SILENCE with START after it; with a stored pregap too,
        // START comes after both.
        const std::int32_t gap = i > 0 ? track.GapSectors : 0;
        if (gap > 0) {
            toc << (pregap > 0 ? "SILENCE " : "PREGAP ") << discread::FormatCdTime(gap) << "\n";
            lsn += gap;
        }
        const std::size_t from = file.Bytes.size();
        const auto position = static_cast<std::int64_t>(from) - Disc.TocOffsetBytes;
        AppendZeros(file.Bytes, pregap);
        const auto sectors = TrackSectors(track, lsn + pregap);
        file.Bytes.insert(file.Bytes.end(), sectors.begin(), sectors.end());
        if (track.Data) {
            toc << "DATAFILE \"" << name << "\" #" << from << " "
                << discread::FormatCdTime(pregap + track.Sectors) << "\n";
        } else {
            toc << "AUDIOFILE \"" << name << "\" ";
            if (Disc.TocSwap) {
                toc << "SWAP ";
            }
            if (Disc.TocOffsetBytes > 0) {
                toc << "#" << Disc.TocOffsetBytes << " ";
            }
            toc << discread::FormatCdTime(position / SectorBytes) << " "
                << discread::FormatCdTime(pregap + track.Sectors) << "\n";
            if (!Disc.TocSwap) {
                file.Audio.emplace_back(from, file.Bytes.size());
            }
        }
        if (pregap > 0) {
            toc << "START " << discread::FormatCdTime(gap + pregap) << "\n";
        }
        lsn += pregap + track.Sectors;
    }
    toc.close();
    if (!toc) {
        throw std::runtime_error("cannot write " + Base + ".toc");
    }
}

void PutBe(std::string& Out, std::uint64_t Value, int Bytes) {
    for (int i = Bytes - 1; i >= 0; --i) {
        Out += static_cast<char>((Value >> (8 * i)) & 0xFF);
    }
}

std::string Chunk(const char* Id, const std::string& Body) {
    std::string chunk = Id;
    PutBe(chunk, Body.size(), 4);
    return chunk + Body;
}

std::uint8_t Bcd(int Value) {
    return static_cast<std::uint8_t>(Value / 10 * 16 + Value % 10);
}

// A Nero image: the tracks' sectors (a track's gaps stored before its INDEX
// 01), then the chunk list and the footer.
void WriteNrg(const std::string& Base, const DiscSpec& Disc, std::vector<ImageFile>& Files) {
    Files.push_back({Base + ".nrg", {}, {}});
    ImageFile& file = Files.back();
    const bool wide = Disc.NrgVersion == 2;
    const int width = wide ? 8 : 4;
    std::string cues;
    std::string dao(4, '\0');
    dao += Disc.Catalog;
    dao.resize(20, '\0');
    dao += static_cast<char>(Disc.FirstTrack);
    dao += static_cast<char>(Disc.FirstTrack + static_cast<int>(Disc.Tracks.size()) - 1);
    const auto cueEntry = [&](int Control, int Track, int Index, std::int64_t Lsn) {
        cues += static_cast<char>(Control << 4 | 1);
        cues += static_cast<char>(Bcd(Track));
        cues += static_cast<char>(Bcd(Index));
        cues += '\0';
        PutBe(cues, static_cast<std::uint32_t>(static_cast<std::int32_t>(Lsn)), 4);
    };
    cueEntry(Disc.Tracks[0].Data ? 4 : 0, 0, 0, -150);
    std::int64_t lsn = 0;
    for (std::size_t i = 0; i < Disc.Tracks.size(); ++i) {
        const TrackSpec& track = Disc.Tracks[i];
        const int number = Disc.FirstTrack + static_cast<int>(i);
        const int control =
            (track.Data ? 4 : 0) | (track.CopyPermitted ? 2 : 0) | (track.PreEmphasis ? 1 : 0);
        const std::int64_t gaps = i > 0 ? track.GapSectors + track.PregapSectors : 0;
        const auto index0 = file.Bytes.size();
        AppendZeros(file.Bytes, gaps);
        const auto index1 = file.Bytes.size();
        cueEntry(control, number, 0, lsn);
        lsn += gaps;
        cueEntry(control, number, 1, lsn);
        const auto sectors = TrackSectors(track, lsn);
        file.Bytes.insert(file.Bytes.end(), sectors.begin(), sectors.end());
        lsn += track.Sectors;
        std::string entry = track.Isrc;
        entry.resize(12, '\0');
        PutBe(entry, SectorBytes, 2);
        entry += static_cast<char>(track.Data ? 0x06 : 0x07);
        entry += std::string(3, '\0');
        PutBe(entry, index0, width);
        PutBe(entry, index1, width);
        PutBe(entry, file.Bytes.size(), width);
        dao += entry;
    }
    cueEntry(0, 0xAA, 1, lsn);
    const std::size_t list = file.Bytes.size();
    std::string chunks = Chunk(wide ? "CUEX" : "CUES", cues) + Chunk(wide ? "DAOX" : "DAOI", dao) +
                         Chunk("END!", {});
    if (wide) {
        chunks += "NER5";
        PutBe(chunks, list, 8);
    } else {
        chunks += "NERO";
        PutBe(chunks, list, 4);
    }
    file.Bytes.insert(file.Bytes.end(), chunks.begin(), chunks.end());
}

} // namespace

std::string WriteDisc(const std::string& Base, const DiscSpec& Disc) {
    if (Disc.Tracks.empty()) {
        throw std::runtime_error("a disc needs at least one track");
    }
    if (Disc.FirstTrack < 1 || Disc.FirstTrack + static_cast<int>(Disc.Tracks.size()) - 1 > 99) {
        throw std::runtime_error("a disc's tracks are numbered 1 to 99");
    }
    std::vector<ImageFile> files;
    if (Disc.Sheet == SheetKind::Toc) {
        WriteToc(Base, Disc, files);
    } else if (Disc.Sheet == SheetKind::Nrg) {
        WriteNrg(Base, Disc, files);
    } else {
        WriteCue(Base, Disc, files);
    }
    for (std::size_t f = 0; f < files.size(); ++f) {
        ImageFile& file = files[f];
        for (const auto& [from, to] : file.Audio) {
            Swap16(file.Bytes, from, to);
        }
        if (f + 1 == files.size() && Disc.MissingSectors > 0) {
            const auto cut = static_cast<std::size_t>(Disc.MissingSectors) * SectorBytes;
            file.Bytes.resize(file.Bytes.size() > cut ? file.Bytes.size() - cut : 0);
        }
        const bool wave = Disc.Sheet == SheetKind::Cue && Disc.Type == FileType::Wave;
        WriteFile(file.Path, wave ? WaveHeader(file.Bytes.size()) : std::string(), file.Bytes);
    }
    return Base + (Disc.Sheet == SheetKind::Toc   ? ".toc"
                   : Disc.Sheet == SheetKind::Nrg ? ".nrg"
                                                  : ".cue");
}

std::int64_t TrackStart(const DiscSpec& Disc, std::size_t Position) {
    std::int64_t lsn = 0;
    for (std::size_t i = 0; i <= Position && i < Disc.Tracks.size(); ++i) {
        if (i > 0) {
            lsn += Disc.Tracks[i].GapSectors + Disc.Tracks[i].PregapSectors;
        }
        if (i == Position) {
            break;
        }
        lsn += Disc.Tracks[i].Sectors;
    }
    return lsn;
}

std::vector<std::uint8_t> TrackBytes(const DiscSpec& Disc, std::size_t Position) {
    auto bytes = TrackSectors(Disc.Tracks.at(Position), TrackStart(Disc, Position));
    if (Position + 1 < Disc.Tracks.size()) {
        const TrackSpec& next = Disc.Tracks[Position + 1];
        AppendZeros(bytes, next.GapSectors + next.PregapSectors);
    }
    return bytes;
}

} // namespace kestrune::mkdisc
