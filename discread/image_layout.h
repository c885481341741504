#pragma once

#include "discread.h"

#include <cstdint>
#include <string>
#include <vector>

namespace discread {

constexpr std::int64_t RawSectorBytes = 2352;
// The longest CD there is: 99 minutes.
constexpr std::int64_t MaxDiscSectors = 99 * 60 * 75;

// A stretch of the disc's sectors and where they come from: a data file of the
// image, or silence that is not stored anywhere (a pregap, a SILENCE line).
struct Extent {
    std::int64_t Start = 0;                    // first sector on the disc
    std::int64_t Sectors = 0;                  // how many
    int File = -1;                             // index into ImageLayout::Files; -1 for silence
    std::int64_t Offset = 0;                   // byte offset of the first sector in the file
    std::int64_t SectorBytes = RawSectorBytes; // bytes one sector takes in the file
    bool Swap = false;                         // 16-bit samples stored big-endian
};

struct DataFile {
    std::string Path;
    // Where the file's audio ends (a WAVE file's data chunk may be followed by
    // others); -1 for the end of the file.
    std::int64_t Limit = -1;
};

struct ImageTrack {
    int Number = 1;
    std::uint8_t Control = 0; // the CONTROL nibble: DR_CONTROL_* bits
    std::int64_t Start = 0;   // the sector of INDEX 01
    // The sectors before Start that are the track's pregap (from its INDEX 00,
    // stored or silence); they lie at the end of the track in front's range.
    std::int64_t Pregap = 0;
    std::string Isrc, Title, Performer, Songwriter;
};

// What a disc image holds, whatever its kind: its tracks, where each sector's
// bytes are, and the files read (for DR_ReadsFile).
struct ImageLayout {
    std::vector<DataFile> Files;         // data files, by index
    std::vector<std::string> SheetFiles; // the sheet and every file it names
    std::vector<Extent> Extents;         // in disc order, without gaps
    std::vector<ImageTrack> Tracks;
    std::string Catalog, Title, Performer;

    std::int64_t End() const {
        return Extents.empty() ? 0 : Extents.back().Start + Extents.back().Sectors;
    }
    // Appends sectors after the last extent.
    void AppendFile(int File, std::int64_t Offset, std::int64_t Sectors, std::int64_t SectorBytes,
                    bool Swap);
    void AppendSilence(std::int64_t Sectors);
    // Refuses what no CD can be: no tracks, more than 99, track numbers out of
    // order, tracks that overlap or run backwards, more than 99 minutes.
    void Check(const std::string& Image) const;
};

} // namespace discread
