// The limit kestrune-rip is measured against: the same PCM fed straight from
// memory into libmp3lame with the same settings and the same block size, no
// disc reading, no threads.
//
//   bench-raw-encode BIN FIRST_SECTOR END_SECTOR OUT.mp3
//   bench-raw-encode --wav BIN FIRST_SECTOR END_SECTOR OUT.wav   (for the lame command)

#include <lame/lame.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr long SectorBytes = 2352;
constexpr int BlockBytes = 16384;
constexpr int OutputBytes = 17440;

std::vector<char> ReadRange(const char* Bin, long First, long End) {
    std::ifstream in(Bin, std::ios::binary);
    std::vector<char> pcm(static_cast<std::size_t>((End - First) * SectorBytes));
    in.seekg(First * SectorBytes);
    in.read(pcm.data(), static_cast<std::streamsize>(pcm.size()));
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", Bin);
        std::exit(1);
    }
    return pcm;
}

void PutLe(std::ofstream& Out, std::uint32_t Value, int Bytes) {
    for (int i = 0; i < Bytes; ++i) {
        Out.put(static_cast<char>((Value >> (8 * i)) & 0xFF));
    }
}

int WriteWav(const std::vector<char>& Pcm, const char* Path) {
    std::ofstream out(Path, std::ios::binary);
    const auto size = static_cast<std::uint32_t>(Pcm.size());
    out.write("RIFF", 4);
    PutLe(out, 36 + size, 4);
    out.write("WAVEfmt ", 8);
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);
    PutLe(out, 2, 2);
    PutLe(out, 44100, 4);
    PutLe(out, 44100 * 4, 4);
    PutLe(out, 4, 2);
    PutLe(out, 16, 2);
    out.write("data", 4);
    PutLe(out, size, 4);
    out.write(Pcm.data(), static_cast<std::streamsize>(Pcm.size()));
    return out ? 0 : 1;
}

int Encode(const std::vector<char>& Pcm, const char* Path) {
    lame_t lame = lame_init();
    lame_set_num_samples(lame, static_cast<unsigned long>(Pcm.size() / 4));
    lame_set_in_samplerate(lame, 44100);
    lame_set_num_channels(lame, 2);
    lame_set_out_samplerate(lame, 0);
    lame_set_mode(lame, STEREO);
    lame_set_original(lame, 1);
    lame_set_brate(lame, 128);
    lame_set_quality(lame, 5);
    if (lame_init_params(lame) < 0) {
        return 1;
    }
    std::FILE* out = std::fopen(Path, "wb");
    std::vector<unsigned char> mp3(OutputBytes);
    std::vector<short> block(BlockBytes / 2);
    for (std::size_t at = 0; at < Pcm.size(); at += BlockBytes) {
        const std::size_t bytes = std::min<std::size_t>(BlockBytes, Pcm.size() - at);
        std::memcpy(block.data(), Pcm.data() + at, bytes);
        const int encoded = lame_encode_buffer_interleaved(
            lame, block.data(), static_cast<int>(bytes / 4), mp3.data(), OutputBytes);
        std::fwrite(mp3.data(), 1, static_cast<std::size_t>(encoded), out);
    }
    const int flushed = lame_encode_flush(lame, mp3.data(), OutputBytes);
    std::fwrite(mp3.data(), 1, static_cast<std::size_t>(flushed), out);
    const std::size_t tag = lame_get_lametag_frame(lame, mp3.data(), mp3.size());
    std::fseek(out, 0, SEEK_SET);
    std::fwrite(mp3.data(), 1, tag, out);
    std::fclose(out);
    lame_close(lame);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool wav = argc == 6 && std::strcmp(argv[1], "--wav") == 0;
    if (argc != 5 && !wav) {
        std::fprintf(stderr, "usage: bench-raw-encode [--wav] BIN FIRST END OUT\n");
        return 2;
    }
    char** args = argv + (wav ? 2 : 1);
    const auto pcm = ReadRange(args[0], std::atol(args[1]), std::atol(args[2]));
    return wav ? WriteWav(pcm, args[3]) : Encode(pcm, args[3]);
}
