#include "tests/support/disc_images.h"

#include "tools/mkdisc/image_writer.h"
#include "tools/mkdisc/track_parse.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace kestrune::test {

DiscImages::DiscImages() {
    static std::atomic<int> serial{0};
    FFolder = std::filesystem::temp_directory_path() /
              ("kestrune-discs-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
    std::filesystem::create_directories(FFolder);
}

DiscImages::~DiscImages() {
    std::error_code ignored;
    std::filesystem::remove_all(FFolder, ignored);
}

std::string DiscImages::Make(const std::string& Name, const std::vector<std::string>& Tracks,
                             std::int32_t MissingSectors) const {
    mkdisc::DiscSpec disc;
    for (const auto& track : Tracks) {
        disc.Tracks.push_back(mkdisc::ParseTrack(track));
    }
    disc.MissingSectors = MissingSectors;
    const auto base = (FFolder / Name).string();
    mkdisc::WriteDisc(base, disc);
    return base + ".cue";
}

std::string DiscImages::Make(const std::string& Name, const mkdisc::DiscSpec& Disc) const {
    return mkdisc::WriteDisc((FFolder / Name).string(), Disc);
}

mkdisc::DiscSpec DiscImages::Spec(const std::vector<std::string>& Tracks) {
    mkdisc::DiscSpec disc;
    for (const auto& track : Tracks) {
        disc.Tracks.push_back(mkdisc::ParseTrack(track));
    }
    return disc;
}

std::string DiscImages::Missing(const std::string& Name) const {
    return (FFolder / (Name + ".cue")).string();
}

std::string DiscImages::Garbage(const std::string& Name) const {
    const auto cue = FFolder / (Name + ".cue");
    std::ofstream(cue) << "this is not a cue sheet\n";
    std::ofstream(FFolder / (Name + ".bin")) << "";
    return cue.string();
}

std::vector<std::byte> DiscImages::Sectors(const std::string& Cue, std::int32_t First,
                                           std::int32_t End) {
    auto bin = std::filesystem::path(Cue).replace_extension(".bin");
    std::ifstream in(bin, std::ios::binary);
    std::vector<std::byte> bytes(static_cast<std::size_t>(End - First) * mkdisc::SectorBytes);
    in.seekg(static_cast<std::streamoff>(First) * mkdisc::SectorBytes);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!in) {
        throw std::runtime_error("cannot read the sectors of " + bin.string());
    }
    return bytes;
}

void UseDrives(const std::vector<std::string>& Drives) {
    std::string list;
    for (const auto& drive : Drives) {
        list += (list.empty() ? "" : ":") + drive;
    }
    ::setenv("DISCREAD_DRIVES", list.c_str(), 1);
}

} // namespace kestrune::test
