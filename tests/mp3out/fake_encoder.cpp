// A stand-in for the encoder library: it exports the calls the MP3 sink makes,
// records them, produces a few bytes of "encoded" data, and fails at the step a
// test names. Built a second time without lame_encode_flush, as a library that
// lacks one of the calls.

#include <lame/lame.h>

#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>

struct lame_global_struct {
    bool Failing = false;
};

namespace {

struct FakeState {
    std::mutex Lock;
    std::string FailAt;
    std::string Log;
    int Misaligned = 0;
    long SampleSum = 0;
};

FakeState& State() {
    static FakeState state;
    return state;
}

void Note(const std::string& Entry) {
    FakeState& s = State();
    const std::lock_guard lock(s.Lock);
    s.Log += Entry;
    s.Log += '\n';
}

bool FailsAt(const char* Step) {
    FakeState& s = State();
    const std::lock_guard lock(s.Lock);
    return s.FailAt == Step;
}

// Reads the samples as the real encoder does, so a sanitizer sees a misaligned
// buffer, and counts buffers that are not aligned for their type.
int Encode(const short* Pcm, int Samples, unsigned char* Out, int OutSize) {
    FakeState& s = State();
    {
        const std::lock_guard lock(s.Lock);
        if (reinterpret_cast<std::uintptr_t>(Pcm) % alignof(short) != 0) {
            ++s.Misaligned;
        }
    }
    long sum = 0;
    for (int i = 0; i < Samples; ++i) {
        sum += Pcm[i];
    }
    {
        const std::lock_guard lock(s.Lock);
        s.SampleSum += sum;
    }
    if (FailsAt("encode")) {
        return -1;
    }
    const int bytes = Samples / 64 < OutSize ? Samples / 64 : OutSize;
    std::memset(Out, 0x55, static_cast<std::size_t>(bytes));
    return bytes;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) void FakeEncoderFailAt(const char* Step) {
    FakeState& s = State();
    const std::lock_guard lock(s.Lock);
    s.FailAt = Step;
    s.Log.clear();
    s.Misaligned = 0;
    s.SampleSum = 0;
}

__attribute__((visibility("default"))) const char* FakeEncoderLog() {
    return State().Log.c_str();
}

__attribute__((visibility("default"))) int FakeEncoderMisaligned() {
    return State().Misaligned;
}

lame_t lame_init() {
    Note("lame_init");
    return FailsAt("lame_init") ? nullptr : new lame_global_struct;
}

int lame_set_num_samples(lame_t, unsigned long) {
    return 0;
}
int lame_set_in_samplerate(lame_t, int) {
    return 0;
}
int lame_set_num_channels(lame_t, int) {
    return 0;
}
int lame_set_out_samplerate(lame_t, int) {
    return 0;
}
int lame_set_mode(lame_t, MPEG_mode) {
    return 0;
}
int lame_set_copyright(lame_t, int) {
    return 0;
}
int lame_set_original(lame_t, int) {
    return 0;
}
int lame_set_error_protection(lame_t, int) {
    return 0;
}
int lame_set_brate(lame_t, int) {
    return 0;
}
int lame_set_quality(lame_t, int) {
    return 0;
}
int lame_set_bWriteVbrTag(lame_t, int) {
    return 0;
}
int lame_set_VBR(lame_t, vbr_mode) {
    return 0;
}
int lame_set_VBR_q(lame_t, int) {
    return 0;
}
int lame_set_VBR_min_bitrate_kbps(lame_t, int) {
    return 0;
}
int lame_set_VBR_max_bitrate_kbps(lame_t, int) {
    return 0;
}

int lame_init_params(lame_t) {
    Note("lame_init_params");
    return FailsAt("lame_init_params") ? -1 : 0;
}

int lame_encode_buffer_interleaved(lame_t, short int Pcm[], int Frames, unsigned char* Out,
                                   int OutSize) {
    return Encode(Pcm, 2 * Frames, Out, OutSize);
}

int lame_encode_buffer(lame_t, const short int Left[], const short int Right[], int Samples,
                       unsigned char* Out, const int OutSize) {
    Encode(Right, Samples, Out, OutSize);
    return Encode(Left, Samples, Out, OutSize);
}

#ifndef FAKE_ENCODER_WITHOUT_FLUSH
int lame_encode_flush(lame_t, unsigned char* Out, int OutSize) {
    Note("lame_encode_flush");
    if (FailsAt("flush")) {
        return -1;
    }
    const int bytes = OutSize < 16 ? OutSize : 16;
    std::memset(Out, 0xAA, static_cast<std::size_t>(bytes));
    return bytes;
}
#endif

int lame_close(lame_t Handle) {
    Note("lame_close");
    delete Handle;
    return 0;
}

size_t lame_get_lametag_frame(const lame_global_flags*, unsigned char*, size_t) {
    return 0;
}

void id3tag_init(lame_t) {
    Note("id3tag_init");
}
void id3tag_set_title(lame_t, const char* Text) {
    Note(std::string("title ") + Text);
}
void id3tag_set_artist(lame_t, const char* Text) {
    Note(std::string("artist ") + Text);
}
void id3tag_set_album(lame_t, const char* Text) {
    Note(std::string("album ") + Text);
}
void id3tag_set_year(lame_t, const char* Text) {
    Note(std::string("year ") + Text);
}
int id3tag_set_track(lame_t, const char* Text) {
    Note(std::string("track ") + Text);
    return 0;
}
void id3tag_set_comment(lame_t, const char* Text) {
    Note(std::string("comment ") + Text);
}
int id3tag_set_genre(lame_t, const char* Text) {
    Note(std::string("genre ") + Text);
    return 0;
}

} // extern "C"
