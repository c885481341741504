#pragma once

#include "image_layout.h"
#include "regular_file.h"

#include <cstdint>
#include <vector>

namespace discread {

// Reads raw 2352-byte sectors of a disc image through its layout: from the
// data files, silence where the layout has silence, big-endian samples swapped
// to little-endian. Reads past the last sector of a file fail.
class ImageReader {
public:
    ImageReader(ImageLayout ALayout, std::vector<RegularFile> AFiles);

    const ImageLayout& Layout() const { return FLayout; }
    // The first sector past the image's data.
    std::int64_t End() const { return FLayout.End(); }
    // The first sector past what the data files really hold (a cut file ends
    // before its sheet says).
    std::int64_t DataEnd() const;
    // Reads Count sectors from Lsn; raises ImageError saying which sector failed.
    void Read(std::uint8_t* Buffer, std::int64_t Lsn, std::int64_t Count) const;

private:
    // The bytes of file Index that belong to the image.
    std::int64_t Usable(int Index) const;
    void ReadExtent(const Extent& Part, std::uint8_t* Buffer, std::int64_t Lsn,
                    std::int64_t Count) const;

    ImageLayout FLayout;
    std::vector<RegularFile> FFiles;
};

} // namespace discread
