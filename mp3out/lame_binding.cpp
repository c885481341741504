#include "mp3out/lame_binding.h"

#include "platform/dynamic_library.h"

#include <memory>
#include <string_view>

namespace kestrune {

const std::array<const char*, 112> EncoderLibraryNames{
    "lame_init",
    "lame_set_num_samples",
    "lame_get_num_samples",
    "lame_set_in_samplerate",
    "lame_get_in_samplerate",
    "lame_set_num_channels",
    "lame_get_num_channels",
    "lame_set_scale",
    "lame_get_scale",
    "lame_set_scale_left",
    "lame_get_scale_left",
    "lame_set_scale_right",
    "lame_get_scale_right",
    "lame_set_out_samplerate",
    "lame_get_out_samplerate",
    "lame_set_analysis",
    "lame_get_analysis",
    "lame_set_bWriteVbrTag",
    "lame_get_bWriteVbrTag",
    "lame_set_decode_only",
    "lame_get_decode_only",
    "lame_set_ogg",
    "lame_get_ogg",
    "lame_set_quality",
    "lame_get_quality",
    "lame_set_mode",
    "lame_get_mode",
    "lame_set_mode_automs",
    "lame_get_mode_automs",
    "lame_set_force_ms",
    "lame_get_force_ms",
    "lame_set_free_format",
    "lame_get_free_format",
    "lame_set_brate",
    "lame_get_brate",
    "lame_set_compression_ratio",
    "lame_get_compression_ratio",
    "lame_set_preset",
    "lame_set_asm_optimizations",
    "lame_set_copyright",
    "lame_get_copyright",
    "lame_set_original",
    "lame_get_original",
    "lame_set_error_protection",
    "lame_get_error_protection",
    "lame_set_padding_type",
    "lame_get_padding_type",
    "lame_set_extension",
    "lame_get_extension",
    "lame_set_strict_ISO",
    "lame_get_strict_ISO",
    "lame_set_VBR",
    "lame_get_VBR",
    "lame_set_VBR_q",
    "lame_get_VBR_q",
    "lame_set_VBR_mean_bitrate_kbps",
    "lame_get_VBR_mean_bitrate_kbps",
    "lame_set_VBR_min_bitrate_kbps",
    "lame_get_VBR_min_bitrate_kbps",
    "lame_set_VBR_max_bitrate_kbps",
    "lame_get_VBR_max_bitrate_kbps",
    "lame_set_VBR_hard_min",
    "lame_get_VBR_hard_min",
    "lame_set_lowpassfreq",
    "lame_get_lowpassfreq",
    "lame_set_lowpasswidth",
    "lame_get_lowpasswidth",
    "lame_set_highpassfreq",
    "lame_get_highpassfreq",
    "lame_set_highpasswidth",
    "lame_get_highpasswidth",
    "lame_get_version",
    "lame_get_encoder_delay",
    "lame_get_encoder_padding",
    "lame_get_framesize",
    "lame_get_mf_samples_to_encode",
    "lame_get_size_mp3buffer",
    "lame_get_frameNum",
    "lame_get_totalframes",
    "lame_init_params",
    "get_lame_version",
    "get_lame_short_version",
    "get_lame_very_short_version",
    "get_psy_version",
    "get_lame_url",
    "get_lame_version_numerical",
    "lame_encode_buffer",
    "lame_encode_buffer_interleaved",
    "lame_encode_buffer_float",
    "lame_encode_flush",
    "lame_encode_flush_nogap",
    "lame_init_bitstream",
    "lame_close",
    "lame_decode_init",
    "lame_decode",
    "lame_decode_headers",
    "lame_decode1",
    "lame_decode1_headers",
    "id3tag_genre_list",
    "id3tag_init",
    "id3tag_add_v2",
    "id3tag_v1_only",
    "id3tag_v2_only",
    "id3tag_space_v1",
    "id3tag_pad_v2",
    "id3tag_set_title",
    "id3tag_set_artist",
    "id3tag_set_album",
    "id3tag_set_year",
    "id3tag_set_comment",
    "id3tag_set_track",
    "id3tag_set_genre",
};

namespace {

struct EncoderBinding {
    std::string FileName = "libmp3lame.so.0";
    std::unique_ptr<platform::DynamicLibrary> Library;
    int Users = 0;
    std::array<void*, 112> Table{};
    TLameCalls Calls;
};

EncoderBinding& Binding() {
    static EncoderBinding binding;
    return binding;
}

void* Resolve(const EncoderBinding& B, std::string_view Name) {
    for (std::size_t i = 0; i < EncoderLibraryNames.size(); ++i) {
        if (Name == EncoderLibraryNames[i]) {
            return B.Table[i];
        }
    }
    return B.Library->Symbol(std::string(Name).c_str());
}

template <class Fn> bool Take(const EncoderBinding& B, std::string_view Name, Fn*& Slot) {
    Slot = reinterpret_cast<Fn*>(Resolve(B, Name));
    return Slot != nullptr;
}

// Fills the typed calls; false when one of them is missing.
bool TakeCalls(EncoderBinding& b) {
    TLameCalls& c = b.Calls;
    return Take(b, "lame_init", c.lame_init) &
           Take(b, "lame_set_num_samples", c.lame_set_num_samples) &
           Take(b, "lame_set_in_samplerate", c.lame_set_in_samplerate) &
           Take(b, "lame_set_num_channels", c.lame_set_num_channels) &
           Take(b, "lame_set_out_samplerate", c.lame_set_out_samplerate) &
           Take(b, "lame_set_mode", c.lame_set_mode) &
           Take(b, "lame_set_copyright", c.lame_set_copyright) &
           Take(b, "lame_set_original", c.lame_set_original) &
           Take(b, "lame_set_error_protection", c.lame_set_error_protection) &
           Take(b, "lame_set_brate", c.lame_set_brate) &
           Take(b, "lame_set_quality", c.lame_set_quality) &
           Take(b, "lame_set_bWriteVbrTag", c.lame_set_bWriteVbrTag) &
           Take(b, "lame_set_VBR", c.lame_set_VBR) & Take(b, "lame_set_VBR_q", c.lame_set_VBR_q) &
           Take(b, "lame_set_VBR_min_bitrate_kbps", c.lame_set_VBR_min_bitrate_kbps) &
           Take(b, "lame_set_VBR_max_bitrate_kbps", c.lame_set_VBR_max_bitrate_kbps) &
           Take(b, "lame_init_params", c.lame_init_params) &
           Take(b, "lame_encode_buffer_interleaved", c.lame_encode_buffer_interleaved) &
           Take(b, "lame_encode_buffer", c.lame_encode_buffer) &
           Take(b, "lame_encode_flush", c.lame_encode_flush) & Take(b, "lame_close", c.lame_close) &
           Take(b, "id3tag_init", c.id3tag_init) & Take(b, "id3tag_set_title", c.id3tag_set_title) &
           Take(b, "id3tag_set_artist", c.id3tag_set_artist) &
           Take(b, "id3tag_set_album", c.id3tag_set_album) &
           Take(b, "id3tag_set_year", c.id3tag_set_year) &
           Take(b, "id3tag_set_track", c.id3tag_set_track) &
           Take(b, "id3tag_set_comment", c.id3tag_set_comment) &
           Take(b, "id3tag_set_genre", c.id3tag_set_genre) &
           Take(b, "lame_get_lametag_frame", c.lame_get_lametag_frame);
}

void Release(EncoderBinding& B) {
    B.Library.reset();
    B.Table.fill(nullptr);
    B.Calls = {};
}

} // namespace

void LoadEncoderLibrary() {
    EncoderBinding& b = Binding();
    if (b.Users > 0) {
        ++b.Users;
        return;
    }
    b.Library = platform::DynamicLibrary::Load(b.FileName);
    if (!b.Library) {
        return;
    }
    for (std::size_t i = 0; i < EncoderLibraryNames.size(); ++i) {
        b.Table[i] = b.Library->Symbol(EncoderLibraryNames[i]);
    }
    if (!TakeCalls(b)) {
        // A library without every call the sink makes is no use; never call a null entry.
        Release(b);
        return;
    }
    b.Users = 1;
}

void UnloadEncoderLibrary() {
    EncoderBinding& b = Binding();
    if (b.Users == 0) {
        return;
    }
    if (--b.Users == 0) {
        Release(b);
    }
}

bool EncoderLibraryLoaded() {
    return Binding().Users > 0;
}

int EncoderLibraryUsers() {
    return Binding().Users;
}

void* EncoderLibraryEntry(std::size_t Index) {
    return Binding().Table.at(Index);
}

const TLameCalls& Lame() {
    return Binding().Calls;
}

void SetEncoderLibraryFileName(std::string FileName) {
    Binding().FileName = std::move(FileName);
}

} // namespace kestrune
