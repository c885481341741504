#include "image_reader.h"

#include "last_error.h"

#include <algorithm>
#include <cstring>

namespace discread {

ImageReader::ImageReader(ImageLayout ALayout, std::vector<RegularFile> AFiles)
    : FLayout(std::move(ALayout)), FFiles(std::move(AFiles)) {}

std::int64_t ImageReader::Usable(int Index) const {
    const std::int64_t size = FFiles[static_cast<std::size_t>(Index)].Size();
    const std::int64_t limit = FLayout.Files[static_cast<std::size_t>(Index)].Limit;
    return limit < 0 ? size : std::min(size, limit);
}

std::int64_t ImageReader::DataEnd() const {
    std::int64_t end = 0;
    for (const Extent& part : FLayout.Extents) {
        if (part.File < 0) {
            end = part.Start + part.Sectors;
            continue;
        }
        const std::int64_t size = Usable(part.File);
        // A last sector the file holds only in part is read as whole.
        const std::int64_t held = std::clamp<std::int64_t>(
            (size - part.Offset + part.SectorBytes - 1) / part.SectorBytes, 0, part.Sectors);
        end = part.Start + held;
        if (held < part.Sectors) {
            break;
        }
    }
    return end;
}

void ImageReader::Read(std::uint8_t* Buffer, std::int64_t Lsn, std::int64_t Count) const {
    if (Lsn < 0 || Count < 0 || Lsn + Count > End()) {
        throw ImageError("sector " + std::to_string(std::max<std::int64_t>(Lsn, End())) +
                         " lies past the end of the disc");
    }
    if (Count == 0) {
        return;
    }
    // The extents are sorted and without gaps: find the one that holds Lsn.
    auto part = std::upper_bound(FLayout.Extents.begin(), FLayout.Extents.end(), Lsn,
                                 [](std::int64_t At, const Extent& E) { return At < E.Start; });
    for (--part; Count > 0; ++part) {
        const std::int64_t inPart = std::min(Count, part->Start + part->Sectors - Lsn);
        ReadExtent(*part, Buffer, Lsn, inPart);
        Buffer += inPart * RawSectorBytes;
        Lsn += inPart;
        Count -= inPart;
    }
}

void ImageReader::ReadExtent(const Extent& Part, std::uint8_t* Buffer, std::int64_t Lsn,
                             std::int64_t Count) const {
    const auto bytes = static_cast<std::size_t>(Count * RawSectorBytes);
    if (Part.File < 0) {
        std::memset(Buffer, 0, bytes);
        return;
    }
    if (Part.SectorBytes != RawSectorBytes) {
        throw ImageError("sector " + std::to_string(Lsn) +
                         " belongs to a data track stored without its raw sector frames");
    }
    const RegularFile& file = FFiles[static_cast<std::size_t>(Part.File)];
    const std::int64_t offset = Part.Offset + (Lsn - Part.Start) * RawSectorBytes;
    const std::int64_t usable = Usable(Part.File);
    if (offset + static_cast<std::int64_t>(bytes) > usable || !file.ReadAt(offset, Buffer, bytes)) {
        // A file that ends inside its last sector (a track that is not whole
        // sectors long) is completed with silence; anything shorter is missing.
        // The end is the file's as it is now: it may have been cut since it
        // was opened.
        const std::int64_t now = std::min(usable, file.CurrentSize());
        const std::int64_t held =
            std::clamp<std::int64_t>(now - offset, 0, static_cast<std::int64_t>(bytes));
        if (held <= (Count - 1) * RawSectorBytes ||
            !file.ReadAt(offset, Buffer, static_cast<std::size_t>(held))) {
            throw ImageError("sector " + std::to_string(Lsn + held / RawSectorBytes) +
                             " is not in \"" + file.Path() + "\", which ends before it");
        }
        std::memset(Buffer + held, 0, bytes - static_cast<std::size_t>(held));
    }
    if (Part.Swap) {
        for (std::size_t i = 0; i + 1 < bytes; i += 2) {
            std::swap(Buffer[i], Buffer[i + 1]);
        }
    }
}

} // namespace discread
