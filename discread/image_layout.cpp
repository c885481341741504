#include "image_layout.h"

#include "last_error.h"

namespace discread {

void ImageLayout::AppendFile(int File, std::int64_t Offset, std::int64_t Sectors,
                             std::int64_t SectorBytes, bool Swap) {
    if (Sectors <= 0) {
        return;
    }
    Extents.push_back({End(), Sectors, File, Offset, SectorBytes, Swap});
}

void ImageLayout::AppendSilence(std::int64_t Sectors) {
    if (Sectors <= 0) {
        return;
    }
    Extents.push_back({End(), Sectors, -1, 0, RawSectorBytes, false});
}

void ImageLayout::Check(const std::string& Image) const {
    if (Tracks.empty()) {
        throw CannotOpen(Image, "it lists no tracks");
    }
    if (Tracks.size() > 99) {
        throw CannotOpen(Image, "it lists more than 99 tracks");
    }
    for (std::size_t i = 0; i < Tracks.size(); ++i) {
        const ImageTrack& track = Tracks[i];
        if (track.Number < 1 || track.Number > 99) {
            throw CannotOpen(Image, "track number " + std::to_string(track.Number) +
                                        " is not between 1 and 99");
        }
        if (i > 0 && track.Number != Tracks[i - 1].Number + 1) {
            throw CannotOpen(Image, "track " + std::to_string(track.Number) + " follows track " +
                                        std::to_string(Tracks[i - 1].Number));
        }
        if (i > 0 && track.Start <= Tracks[i - 1].Start) {
            throw CannotOpen(Image, "track " + std::to_string(track.Number) +
                                        " starts before track " +
                                        std::to_string(Tracks[i - 1].Number) + " ends");
        }
    }
    if (End() > MaxDiscSectors || Tracks.back().Start > MaxDiscSectors) {
        throw CannotOpen(Image, "it holds more than the 99 minutes of the longest CD");
    }
}

} // namespace discread
