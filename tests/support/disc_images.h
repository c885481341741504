#pragma once

#include "tools/mkdisc/image_writer.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kestrune::test {

// Disc images made with mkdisc in a folder of their own, removed afterwards.
class DiscImages {
public:
    DiscImages();
    ~DiscImages();
    DiscImages(const DiscImages&) = delete;
    DiscImages& operator=(const DiscImages&) = delete;

    // Writes NAME.cue/.bin of the given mkdisc track texts; returns the cue path.
    std::string Make(const std::string& Name, const std::vector<std::string>& Tracks,
                     std::int32_t MissingSectors = 0) const;
    // Writes the image Disc describes under Name; returns the sheet's path.
    std::string Make(const std::string& Name, const mkdisc::DiscSpec& Disc) const;
    // The disc of the given mkdisc track texts.
    static mkdisc::DiscSpec Spec(const std::vector<std::string>& Tracks);
    // A cue path with no file behind it: a drive without a disc.
    std::string Missing(const std::string& Name) const;
    // A cue that holds no readable table of contents.
    std::string Garbage(const std::string& Name) const;
    // Bytes [First, End) of the image's .bin, counted in sectors.
    static std::vector<std::byte> Sectors(const std::string& Cue, std::int32_t First,
                                          std::int32_t End);

    const std::filesystem::path& Folder() const { return FFolder; }

private:
    std::filesystem::path FFolder;
};

// Points the reading library at these drives (read when it is initialised).
void UseDrives(const std::vector<std::string>& Drives);

} // namespace kestrune::test
