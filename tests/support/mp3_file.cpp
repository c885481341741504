#include "tests/support/mp3_file.h"

#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <stdexcept>

namespace kestrune::test {

namespace {

std::vector<unsigned char> ReadBytes(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + Path);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Field(const unsigned char* Data, std::size_t Size) {
    std::string text(reinterpret_cast<const char*>(Data), Size);
    text = text.substr(0, text.find('\0'));
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

} // namespace

DecodedMp3 DecodeMp3(const std::string& Path) {
    static const int initialised = mpg123_init();
    (void)initialised;
    int error = MPG123_OK;
    const std::unique_ptr<mpg123_handle, void (*)(mpg123_handle*)> handle(
        mpg123_new(nullptr, &error), [](mpg123_handle* h) {
            mpg123_close(h);
            mpg123_delete(h);
        });
    if (!handle) {
        throw std::runtime_error("mpg123_new failed");
    }
    mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
    mpg123_format_none(handle.get());
    for (const long rate :
         {32000L, 44100L, 48000L, 22050L, 24000L, 16000L, 11025L, 12000L, 8000L}) {
        mpg123_format(handle.get(), rate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }
    if (mpg123_open(handle.get(), Path.c_str()) != MPG123_OK) {
        throw std::runtime_error("cannot open " + Path + " as MP3");
    }
    DecodedMp3 decoded;
    long rate = 0;
    int encoding = 0;
    if (mpg123_getformat(handle.get(), &rate, &decoded.Channels, &encoding) != MPG123_OK) {
        throw std::runtime_error("no MP3 format in " + Path);
    }
    decoded.Rate = static_cast<int>(rate);
    std::vector<unsigned char> buffer(1 << 16);
    for (;;) {
        std::size_t done = 0;
        const int result = mpg123_read(handle.get(), buffer.data(), buffer.size(), &done);
        const auto* samples = reinterpret_cast<const std::int16_t*>(buffer.data());
        decoded.Samples.insert(decoded.Samples.end(), samples, samples + done / 2);
        if (result == MPG123_DONE) {
            break;
        }
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
            throw std::runtime_error(std::string("decoding failed: ") +
                                     mpg123_plain_strerror(result));
        }
    }
    mpg123_scan(handle.get());
    decoded.AudioFrames = mpg123_framelength(handle.get());
    return decoded;
}

std::optional<std::uint32_t> InfoFrameCount(const std::string& Path) {
    const auto bytes = ReadBytes(Path);
    // The tag sits in the first frame, after the side information.
    const std::size_t limit = std::min<std::size_t>(bytes.size(), 200);
    for (std::size_t i = 4; i + 12 <= limit; ++i) {
        const std::string id(reinterpret_cast<const char*>(&bytes[i]), 4);
        if (id != "Xing" && id != "Info") {
            continue;
        }
        const std::uint32_t flags =
            (bytes[i + 4] << 24) | (bytes[i + 5] << 16) | (bytes[i + 6] << 8) | bytes[i + 7];
        if ((flags & 1) == 0) {
            return std::nullopt;
        }
        return (std::uint32_t{bytes[i + 8]} << 24) | (bytes[i + 9] << 16) | (bytes[i + 10] << 8) |
               bytes[i + 11];
    }
    return std::nullopt;
}

namespace {

struct ParsedHeader {
    Mp3FrameHeader Header;
    std::size_t FrameBytes = 0;
};

std::optional<ParsedHeader> ParseHeader(const std::vector<unsigned char>& Bytes, std::size_t At) {
    if (At + 4 > Bytes.size()) {
        return std::nullopt;
    }
    const std::uint32_t word = (std::uint32_t{Bytes[At]} << 24) | (Bytes[At + 1] << 16) |
                               (Bytes[At + 2] << 8) | Bytes[At + 3];
    const unsigned version = (word >> 19) & 3; // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    const unsigned layer = (word >> 17) & 3;   // 1 Layer III
    const unsigned rateIndex = (word >> 12) & 15;
    const unsigned sampleIndex = (word >> 10) & 3;
    if ((word >> 21) != 0x7FF || version == 1 || layer != 1 || rateIndex == 0 || rateIndex == 15 ||
        sampleIndex == 3) {
        return std::nullopt;
    }
    constexpr int mpeg1Rates[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    constexpr int mpeg2Rates[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    constexpr int sampleRates[] = {44100, 48000, 32000};
    const bool mpeg1 = version == 3;
    ParsedHeader parsed;
    Mp3FrameHeader& h = parsed.Header;
    h.BitRateKbps = mpeg1 ? mpeg1Rates[rateIndex] : mpeg2Rates[rateIndex];
    h.SampleRate = sampleRates[sampleIndex] / (mpeg1 ? 1 : version == 2 ? 2 : 4);
    h.Mode = static_cast<int>((word >> 6) & 3);
    h.Copyright = ((word >> 3) & 1) != 0;
    h.Original = ((word >> 2) & 1) != 0;
    h.Protected = ((word >> 16) & 1) == 0;
    const unsigned padding = (word >> 9) & 1;
    parsed.FrameBytes =
        static_cast<std::size_t>((mpeg1 ? 144 : 72) * h.BitRateKbps * 1000 / h.SampleRate) +
        padding;
    return parsed;
}

} // namespace

std::optional<Mp3FrameHeader> SecondFrameHeader(const std::string& Path) {
    const auto bytes = ReadBytes(Path);
    const auto first = ParseHeader(bytes, 0);
    if (!first) {
        return std::nullopt;
    }
    const auto second = ParseHeader(bytes, first->FrameBytes);
    if (!second) {
        return std::nullopt;
    }
    return second->Header;
}

std::optional<Id3v1> ReadId3v1(const std::string& Path) {
    const auto bytes = ReadBytes(Path);
    if (bytes.size() < 128) {
        return std::nullopt;
    }
    const unsigned char* tag = bytes.data() + bytes.size() - 128;
    if (tag[0] != 'T' || tag[1] != 'A' || tag[2] != 'G') {
        return std::nullopt;
    }
    Id3v1 id3;
    id3.Title = Field(tag + 3, 30);
    id3.Artist = Field(tag + 33, 30);
    id3.Album = Field(tag + 63, 30);
    id3.Year = Field(tag + 93, 4);
    const bool hasTrack = tag[125] == 0 && tag[126] != 0;
    id3.Comment = Field(tag + 97, hasTrack ? 28 : 30);
    id3.Track = hasTrack ? tag[126] : 0;
    id3.Genre = tag[127];
    return id3;
}

namespace {

// Signal and noise energy of Decoded shifted by Shift frames against Source,
// over at most Limit frames.
std::pair<double, double> Energies(const std::vector<std::int16_t>& Source,
                                   const std::vector<std::int16_t>& Decoded, int Channels,
                                   long Shift, long Limit) {
    const auto frames = static_cast<long>(std::min(Source.size(), Decoded.size()) / Channels);
    double signal = 0;
    double noise = 0;
    for (long frame = std::max(0L, -Shift); frame < std::min(frames, Limit); ++frame) {
        const long other = frame + Shift;
        if (other >= frames) {
            break;
        }
        for (int c = 0; c < Channels; ++c) {
            const double s = Source[static_cast<std::size_t>(frame * Channels + c)];
            const double d = Decoded[static_cast<std::size_t>(other * Channels + c)];
            signal += s * s;
            noise += (s - d) * (s - d);
        }
    }
    return {signal, noise};
}

} // namespace

double SignalToNoise(const std::vector<std::int16_t>& Source,
                     const std::vector<std::int16_t>& Decoded, int Channels, int MaxShift) {
    // Find the alignment on the first tenth of a second, then measure it all.
    long bestShift = 0;
    double leastNoise = std::numeric_limits<double>::infinity();
    for (long shift = -MaxShift; shift <= MaxShift; ++shift) {
        const double noise = Energies(Source, Decoded, Channels, shift, 4410).second;
        if (noise < leastNoise) {
            leastNoise = noise;
            bestShift = shift;
        }
    }
    const auto [signal, noise] =
        Energies(Source, Decoded, Channels, bestShift, std::numeric_limits<long>::max());
    return noise == 0 ? std::numeric_limits<double>::infinity() : 10 * std::log10(signal / noise);
}

double ToneFrequency(const std::vector<std::int16_t>& Samples, int Channels, int Channel,
                     int Rate) {
    long crossings = 0;
    long first = -1;
    long last = -1;
    const long frames = static_cast<long>(Samples.size() / Channels);
    for (long frame = 1; frame < frames; ++frame) {
        const auto before = Samples[static_cast<std::size_t>((frame - 1) * Channels + Channel)];
        const auto now = Samples[static_cast<std::size_t>(frame * Channels + Channel)];
        if (before < 0 && now >= 0) {
            if (first < 0) {
                first = frame;
            } else {
                ++crossings;
            }
            last = frame;
        }
    }
    return crossings == 0 ? 0
                          : static_cast<double>(crossings) * static_cast<double>(Rate) /
                                static_cast<double>(last - first);
}

double LevelDb(const std::vector<std::int16_t>& Samples, int Channels, int Channel) {
    double sum = 0;
    std::size_t count = 0;
    for (std::size_t i = static_cast<std::size_t>(Channel); i < Samples.size();
         i += static_cast<std::size_t>(Channels)) {
        sum += static_cast<double>(Samples[i]) * Samples[i];
        ++count;
    }
    return count == 0 ? -200
                      : 10 * std::log10(sum / static_cast<double>(count) / (32768.0 * 32768.0));
}

} // namespace kestrune::test
