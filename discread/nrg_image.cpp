// Nero images: the data of the tracks, then a list of chunks (CUES/CUEX,
// DAOI/DAOX, ETNF/ETN2, SINF, ... up to END!), then a footer that points at
// the list: "NERO" and a 32-bit offset (version 1) or "NER5" and a 64-bit one
// (version 2). Numbers are big-endian.

#include "nrg_image.h"

#include "last_error.h"

#include <cstring>
#include <map>

namespace discread {

namespace {

std::uint64_t Be(const std::uint8_t* At, int Bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < Bytes; ++i) {
        value = value << 8 | At[i];
    }
    return value;
}

int FromBcd(std::uint8_t Value) {
    return (Value >> 4) * 10 + (Value & 0x0F);
}

// A chunk list held no larger than any real one: a few entries per track.
constexpr std::int64_t MaxChunkListBytes = 1 << 20;

struct NrgTrack {
    std::int64_t Index0 = 0;
    std::int64_t Index1 = 0;
    std::int64_t End = 0;
    std::int64_t SectorBytes = RawSectorBytes;
    bool Audio = true;
    std::string Isrc;
};

class NrgReader {
public:
    explicit NrgReader(const std::string& APath) : FPath(APath), FFile(APath) {}

    std::unique_ptr<ImageReader> Read() {
        ReadChunkList();
        if (FTracks.empty()) {
            Fail("it holds no track list (no DAOI, DAOX, ETNF or ETN2 chunk)");
        }
        ImageLayout layout;
        layout.SheetFiles.push_back(FPath);
        layout.Files.push_back({FPath, FDataEnd});
        layout.Catalog = FCatalog;
        // The disc starts at track 1's INDEX 01; its pregap before that is no
        // part of the program area.
        std::int64_t previousEnd = FTracks.front().Index1;
        for (std::size_t i = 0; i < FTracks.size(); ++i) {
            const NrgTrack& track = FTracks[i];
            const std::int64_t from = i == 0 ? track.Index1 : track.Index0;
            const std::string which = "track " + std::to_string(FFirst + static_cast<int>(i));
            if (track.SectorBytes != 2048 && track.SectorBytes != 2324 &&
                track.SectorBytes != 2336 && track.SectorBytes != RawSectorBytes) {
                Fail(which + " has sectors of " + std::to_string(track.SectorBytes) +
                     " bytes, which cannot be read");
            }
            if (!(from >= previousEnd && track.Index0 <= track.Index1 &&
                  track.Index1 <= track.End && track.End <= FDataEnd)) {
                Fail(which + " lies outside the image's data or overlaps the track before it");
            }
            if ((track.Index1 - from) % track.SectorBytes != 0 ||
                (track.End - track.Index1) % track.SectorBytes != 0 || track.End == track.Index1) {
                Fail(which + " is not a whole number of sectors");
            }
            layout.AppendFile(0, from, (track.Index1 - from) / track.SectorBytes, track.SectorBytes,
                              false);
            ImageTrack info;
            info.Number = FFirst + static_cast<int>(i);
            info.Start = layout.End();
            info.Pregap = (track.Index1 - from) / track.SectorBytes;
            const auto control = FControl.find(info.Number);
            info.Control = control != FControl.end()
                               ? control->second
                               : static_cast<std::uint8_t>(track.Audio ? 0 : DR_CONTROL_DATA);
            if (track.SectorBytes != RawSectorBytes) {
                info.Control |= DR_CONTROL_DATA;
            }
            info.Isrc = track.Isrc;
            layout.Tracks.push_back(info);
            layout.AppendFile(0, track.Index1, (track.End - track.Index1) / track.SectorBytes,
                              track.SectorBytes, false);
            previousEnd = track.End;
        }
        layout.Check(FPath);
        std::vector<RegularFile> files;
        files.push_back(std::move(FFile));
        return std::make_unique<ImageReader>(std::move(layout), std::move(files));
    }

private:
    [[noreturn]] void Fail(const std::string& Why) const { throw CannotOpen(FPath, Why); }

    void ReadChunkList() {
        const std::int64_t size = FFile.Size();
        std::uint8_t footer[12] = {};
        std::int64_t list = -1;
        if (size >= 12 && FFile.ReadAt(size - 12, footer, 12) &&
            std::memcmp(footer, "NER5", 4) == 0) {
            const std::uint64_t at = Be(footer + 4, 8);
            list = at <= static_cast<std::uint64_t>(size - 12) ? static_cast<std::int64_t>(at) : -2;
            FListEnd = size - 12;
            FVersion = 2;
        } else if (size >= 8 && std::memcmp(footer + 4, "NERO", 4) == 0) {
            const std::uint64_t at = Be(footer + 8, 4);
            list = at <= static_cast<std::uint64_t>(size - 8) ? static_cast<std::int64_t>(at) : -2;
            FListEnd = size - 8;
            FVersion = 1;
        } else {
            Fail("it is not a Nero image (no NER5 or NERO footer)");
        }
        if (list < 0) {
            Fail("its footer points past the end of the file");
        }
        if (FListEnd - list > MaxChunkListBytes) {
            Fail("its chunk list is larger than any disc's");
        }
        FDataEnd = list;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(FListEnd - list));
        if (!FFile.ReadAt(list, bytes.data(), bytes.size())) {
            Fail("its chunk list cannot be read");
        }
        std::size_t at = 0;
        bool ended = false;
        while (!ended) {
            if (bytes.size() - at < 8) {
                Fail("its chunk list ends without END!");
            }
            const std::string id(reinterpret_cast<const char*>(bytes.data() + at), 4);
            const std::uint64_t length = Be(bytes.data() + at + 4, 4);
            if (length > bytes.size() - at - 8) {
                Fail("its chunk " + Printable(id) + " runs past the end of the file");
            }
            const std::uint8_t* const body = bytes.data() + at + 8;
            const auto bodyBytes = static_cast<std::size_t>(length);
            if (id == "END!") {
                ended = true;
            } else if (id == "DAOI" || id == "DAOX") {
                Dao(body, bodyBytes, id == "DAOX");
            } else if (id == "ETNF" || id == "ETN2") {
                Tao(body, bodyBytes, id == "ETN2");
            } else if (id == "CUES" || id == "CUEX") {
                Cues(body, bodyBytes);
            } else if (id == "SINF" && bodyBytes >= 4 && !FSessionSeen) {
                FSessionSeen = true;
            } else if (id == "SINF") {
                // Later sessions are no part of the audio disc this library reads.
                ended = true;
            }
            at += 8 + bodyBytes;
        }
    }

    static std::string Printable(const std::string& Id) {
        std::string text;
        for (const char c : Id) {
            text += (c >= 0x20 && c < 0x7F) ? c : '?';
        }
        return "\"" + text + "\"";
    }

    void Dao(const std::uint8_t* Body, std::size_t Bytes, bool Wide) {
        constexpr std::size_t header = 22;
        const std::size_t entry = Wide ? 42 : 30;
        if (Bytes < header || (Bytes - header) % entry != 0 || !FTracks.empty()) {
            Fail("its DAO chunk has a size no DAO chunk has");
        }
        FCatalog.assign(reinterpret_cast<const char*>(Body + 4),
                        strnlen(reinterpret_cast<const char*>(Body + 4), 13));
        FFirst = Body[20];
        const int last = Body[21];
        const std::size_t count = (Bytes - header) / entry;
        if (FFirst < 1 || last > 99 || last - FFirst + 1 != static_cast<int>(count)) {
            Fail("its DAO chunk lists tracks " + std::to_string(FFirst) + " to " +
                 std::to_string(last) + " in " + std::to_string(count) + " entries");
        }
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* const at = Body + header + i * entry;
            NrgTrack track;
            track.Isrc.assign(reinterpret_cast<const char*>(at),
                              strnlen(reinterpret_cast<const char*>(at), 12));
            track.SectorBytes = static_cast<std::int64_t>(Be(at + 12, 2));
            track.Audio = at[14] == 0x07;
            const int width = Wide ? 8 : 4;
            const std::uint64_t index0 = Be(at + 18, width);
            const std::uint64_t index1 = Be(at + 18 + width, width);
            const std::uint64_t end = Be(at + 18 + 2 * width, width);
            const auto limit = static_cast<std::uint64_t>(FDataEnd);
            if (index0 > limit || index1 > limit || end > limit || track.SectorBytes == 0) {
                Fail("track " + std::to_string(FFirst + static_cast<int>(i)) +
                     " lies outside the image's data or overlaps the track before it");
            }
            track.Index0 = static_cast<std::int64_t>(index0);
            track.Index1 = static_cast<std::int64_t>(index1);
            track.End = static_cast<std::int64_t>(end);
            FTracks.push_back(track);
        }
    }

    void Tao(const std::uint8_t* Body, std::size_t Bytes, bool Wide) {
        const std::size_t entry = Wide ? 32 : 20;
        if (Bytes == 0 || Bytes % entry != 0 || !FTracks.empty()) {
            Fail("its track chunk has a size no track chunk has");
        }
        for (std::size_t i = 0; i < Bytes / entry; ++i) {
            const std::uint8_t* const at = Body + i * entry;
            const int width = Wide ? 8 : 4;
            const std::uint64_t offset = Be(at, width);
            const std::uint64_t length = Be(at + width, width);
            const std::uint64_t mode = Be(at + 2 * width, 4);
            const auto limit = static_cast<std::uint64_t>(FDataEnd);
            if (offset > limit || length > limit - offset) {
                Fail("track " + std::to_string(i + 1) +
                     " lies outside the image's data or overlaps the track before it");
            }
            NrgTrack track;
            track.Index0 = track.Index1 = static_cast<std::int64_t>(offset);
            track.End = static_cast<std::int64_t>(offset + length);
            track.Audio = mode == 7;
            track.SectorBytes = mode == 7 || mode == 6 ? RawSectorBytes : mode == 3 ? 2336 : 2048;
            FTracks.push_back(track);
        }
        FFirst = 1;
    }

    // The CONTROL of each track, from its INDEX 01 entry: (CONTROL << 4) | ADR.
    void Cues(const std::uint8_t* Body, std::size_t Bytes) {
        for (std::size_t at = 0; at + 8 <= Bytes; at += 8) {
            const int track = FromBcd(Body[at + 1]);
            if (Body[at + 2] == 0x01 && track >= 1 && track <= 99) {
                FControl[track] = static_cast<std::uint8_t>(Body[at] >> 4);
            }
        }
    }

    std::string FPath;
    RegularFile FFile;
    int FVersion = 0;
    std::int64_t FListEnd = 0;
    std::int64_t FDataEnd = 0;
    bool FSessionSeen = false;
    int FFirst = 1;
    std::string FCatalog;
    std::vector<NrgTrack> FTracks;
    std::map<int, std::uint8_t> FControl;
};

} // namespace

std::unique_ptr<ImageReader> OpenNrgImage(const std::string& Path) {
    return NrgReader(Path).Read();
}

std::unique_ptr<ImageReader> OpenIsoImage(const std::string& Path) {
    RegularFile file(Path);
    constexpr std::int64_t sectorBytes = 2048;
    const std::int64_t sectors = (file.Size() + sectorBytes - 1) / sectorBytes;
    if (sectors > MaxDiscSectors) {
        throw CannotOpen(Path, "it is larger than the longest CD");
    }
    if (sectors == 0) {
        throw CannotOpen(Path, "it is empty");
    }
    ImageLayout layout;
    layout.SheetFiles.push_back(Path);
    layout.Files.push_back({Path, -1});
    ImageTrack track;
    track.Control = DR_CONTROL_DATA;
    layout.Tracks.push_back(track);
    layout.AppendFile(0, 0, sectors, sectorBytes, false);
    layout.Check(Path);
    std::vector<RegularFile> files;
    files.push_back(std::move(file));
    return std::make_unique<ImageReader>(std::move(layout), std::move(files));
}

} // namespace discread
