#include "tools/mkdisc/image_writer.h"

#include "tools/mkdisc/audio_synthesis.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace kestrune::mkdisc {

namespace {

std::array<std::uint8_t, 3> BcdAddress(std::int64_t Lsn) {
    const std::int64_t lba = Lsn + 150;
    const auto bcd = [](std::int64_t v) { return static_cast<std::uint8_t>(v / 10 * 16 + v % 10); };
    return {bcd(lba / SectorsPerSecond / 60), bcd(lba / SectorsPerSecond % 60),
            bcd(lba % SectorsPerSecond)};
}

std::string CueTime(std::int64_t Sectors) {
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld",
                  static_cast<long long>(Sectors / SectorsPerSecond / 60),
                  static_cast<long long>(Sectors / SectorsPerSecond % 60),
                  static_cast<long long>(Sectors % SectorsPerSecond));
    return text;
}

void WriteDataSectors(std::ofstream& Bin, std::int64_t FirstLsn, std::int32_t Count) {
    std::array<char, SectorBytes> sector{};
    for (std::int32_t i = 0; i < Count; ++i) {
        sector.fill(0);
        std::memset(sector.data() + 1, 0xFF, 10);
        const auto address = BcdAddress(FirstLsn + i);
        std::memcpy(sector.data() + 12, address.data(), address.size());
        sector[15] = 1;
        for (int b = 0; b < 2048; ++b) {
            sector[static_cast<std::size_t>(16 + b)] = static_cast<char>((i + b) & 0xFF);
        }
        Bin.write(sector.data(), sector.size());
    }
}

void WriteSamples(std::ofstream& Bin, const std::vector<std::int16_t>& Pcm) {
    std::vector<char> bytes(Pcm.size() * 2);
    for (std::size_t i = 0; i < Pcm.size(); ++i) {
        const auto sample = static_cast<std::uint16_t>(Pcm[i]);
        bytes[2 * i] = static_cast<char>(sample & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(sample >> 8);
    }
    Bin.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

void WriteDisc(const std::string& Base, const DiscSpec& Disc) {
    if (Disc.Tracks.empty()) {
        throw std::runtime_error("a disc needs at least one track");
    }
    if (Disc.Tracks.size() > 99) {
        throw std::runtime_error("a disc holds at most 99 tracks");
    }
    const std::string binPath = Base + ".bin";
    const std::string cuePath = Base + ".cue";
    std::ofstream bin(binPath, std::ios::binary | std::ios::trunc);
    std::ofstream cue(cuePath, std::ios::trunc);
    if (!bin || !cue) {
        throw std::runtime_error("cannot create " + Base + ".cue/.bin: " + std::strerror(errno));
    }
    cue << "FILE \"" << std::filesystem::path(binPath).filename().string() << "\" BINARY\n";
    std::int64_t lsn = 0;
    for (std::size_t i = 0; i < Disc.Tracks.size(); ++i) {
        const TrackSpec& track = Disc.Tracks[i];
        char number[24];
        std::snprintf(number, sizeof number, "%02zu", i + 1);
        cue << "  TRACK " << number << (track.Data ? " MODE1/2352\n" : " AUDIO\n");
        if (track.CopyPermitted || track.PreEmphasis) {
            cue << "    FLAGS" << (track.CopyPermitted ? " DCP" : "")
                << (track.PreEmphasis ? " PRE" : "") << "\n";
        }
        if (track.PregapSectors > 0 && i > 0) {
            cue << "    INDEX 00 " << CueTime(lsn) << "\n";
            const std::vector<std::int16_t> gap(
                static_cast<std::size_t>(track.PregapSectors) * FramesPerSector * 2, 0);
            WriteSamples(bin, gap);
            lsn += track.PregapSectors;
        }
        cue << "    INDEX 01 " << CueTime(lsn) << "\n";
        if (track.Data) {
            WriteDataSectors(bin, lsn, track.Sectors);
        } else {
            WriteSamples(bin, RenderAudio(track));
        }
        lsn += track.Sectors;
    }
    bin.close();
    cue.close();
    if (!bin || !cue) {
        throw std::runtime_error("cannot write " + Base + ".cue/.bin");
    }
    if (Disc.MissingSectors > 0) {
        const auto keep = std::max<std::int64_t>(0, lsn - Disc.MissingSectors) * SectorBytes;
        std::filesystem::resize_file(binPath, static_cast<std::uintmax_t>(keep));
    }
}

} // namespace kestrune::mkdisc
