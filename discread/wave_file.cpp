#include "wave_file.h"

#include "last_error.h"

#include <array>
#include <cstring>

namespace discread {

namespace {

std::uint32_t Le32(const std::uint8_t* At) {
    return static_cast<std::uint32_t>(At[0]) | static_cast<std::uint32_t>(At[1]) << 8 |
           static_cast<std::uint32_t>(At[2]) << 16 | static_cast<std::uint32_t>(At[3]) << 24;
}

std::uint16_t Le16(const std::uint8_t* At) {
    return static_cast<std::uint16_t>(At[0] | At[1] << 8);
}

constexpr std::uint16_t FormatPcm = 1;
constexpr std::uint16_t FormatExtensible = 0xFFFE;

} // namespace

WaveData FindWaveData(const RegularFile& File) {
    const std::string name = "\"" + File.Path() + "\"";
    std::array<std::uint8_t, 12> head{};
    if (!File.ReadAt(0, head.data(), head.size()) || std::memcmp(head.data(), "RIFF", 4) != 0 ||
        std::memcmp(head.data() + 8, "WAVE", 4) != 0) {
        throw FileError(name + " is not a WAVE file");
    }
    bool sawFormat = false;
    std::int64_t at = 12;
    while (at + 8 <= File.Size()) {
        std::array<std::uint8_t, 8> chunk{};
        if (!File.ReadAt(at, chunk.data(), chunk.size())) {
            break;
        }
        const std::int64_t size = Le32(chunk.data() + 4);
        const std::int64_t body = at + 8;
        if (std::memcmp(chunk.data(), "fmt ", 4) == 0) {
            std::array<std::uint8_t, 40> format{};
            const auto length = static_cast<std::size_t>(std::min<std::int64_t>(size, 40));
            if (size < 16 || !File.ReadAt(body, format.data(), length)) {
                throw FileError(name + " has a broken format chunk");
            }
            std::uint16_t tag = Le16(format.data());
            if (tag == FormatExtensible && size >= 40) {
                tag = Le16(format.data() + 24); // the sub-format's first two bytes
            }
            const unsigned channels = Le16(format.data() + 2);
            const unsigned rate = Le32(format.data() + 4);
            const unsigned bits = Le16(format.data() + 14);
            if (tag != FormatPcm || channels != 2 || rate != 44100 || bits != 16) {
                throw FileError(name + " holds " +
                                (tag != FormatPcm
                                     ? "compressed audio (format " + std::to_string(tag) + ")"
                                     : std::to_string(bits) + "-bit audio in " +
                                           std::to_string(channels) + " channels at " +
                                           std::to_string(rate) + " Hz") +
                                "; a CD holds 16-bit stereo PCM at 44100 Hz");
            }
            sawFormat = true;
        } else if (std::memcmp(chunk.data(), "data", 4) == 0) {
            if (!sawFormat) {
                throw FileError(name + " has its samples before their format");
            }
            // A data chunk that claims more than the file holds (a recording
            // cut short) ends with the file.
            return {body, std::min(size, File.Size() - body)};
        }
        at = body + size + (size & 1);
    }
    throw FileError(name + " holds no samples (no data chunk)");
}

} // namespace discread
