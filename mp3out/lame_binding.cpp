#include "mp3out/lame_binding.h"

#include "platform/run_time_library.h"

#include <iostream>
#include <string_view>

namespace kestrune {

namespace {

struct EncoderBinding {
    platform::RunTimeLibrary Library{"libmp3lame.so.0", EncoderLibraryNames};
    TLameCalls Calls;
};

EncoderBinding& Binding() {
    static EncoderBinding binding;
    return binding;
}

consteval std::size_t IndexOf(std::string_view Name) {
    return platform::IndexOfName(EncoderLibraryNames, Name);
}

template <std::size_t Index, class Fn>
void Take(const platform::RunTimeLibrary& Library, Fn*& Slot, std::string_view& Missing) {
    Slot = Library.EntryAs<Fn>(Index);
    if (Slot == nullptr && Missing.empty()) {
        Missing = EncoderLibraryNames[Index];
    }
}

// Fills the typed calls; the name of the first one missing, or empty.
std::string_view TakeCalls(EncoderBinding& B) {
    const platform::RunTimeLibrary& l = B.Library;
    TLameCalls& c = B.Calls;
    std::string_view missing;
    Take<IndexOf("lame_init")>(l, c.lame_init, missing);
    Take<IndexOf("lame_set_num_samples")>(l, c.lame_set_num_samples, missing);
    Take<IndexOf("lame_set_in_samplerate")>(l, c.lame_set_in_samplerate, missing);
    Take<IndexOf("lame_set_num_channels")>(l, c.lame_set_num_channels, missing);
    Take<IndexOf("lame_set_out_samplerate")>(l, c.lame_set_out_samplerate, missing);
    Take<IndexOf("lame_set_mode")>(l, c.lame_set_mode, missing);
    Take<IndexOf("lame_set_copyright")>(l, c.lame_set_copyright, missing);
    Take<IndexOf("lame_set_original")>(l, c.lame_set_original, missing);
    Take<IndexOf("lame_set_error_protection")>(l, c.lame_set_error_protection, missing);
    Take<IndexOf("lame_set_brate")>(l, c.lame_set_brate, missing);
    Take<IndexOf("lame_set_quality")>(l, c.lame_set_quality, missing);
    Take<IndexOf("lame_set_bWriteVbrTag")>(l, c.lame_set_bWriteVbrTag, missing);
    Take<IndexOf("lame_set_VBR")>(l, c.lame_set_VBR, missing);
    Take<IndexOf("lame_set_VBR_q")>(l, c.lame_set_VBR_q, missing);
    Take<IndexOf("lame_set_VBR_min_bitrate_kbps")>(l, c.lame_set_VBR_min_bitrate_kbps, missing);
    Take<IndexOf("lame_set_VBR_max_bitrate_kbps")>(l, c.lame_set_VBR_max_bitrate_kbps, missing);
    Take<IndexOf("lame_init_params")>(l, c.lame_init_params, missing);
    Take<IndexOf("lame_encode_buffer_interleaved")>(l, c.lame_encode_buffer_interleaved, missing);
    Take<IndexOf("lame_encode_buffer")>(l, c.lame_encode_buffer, missing);
    Take<IndexOf("lame_encode_flush")>(l, c.lame_encode_flush, missing);
    Take<IndexOf("lame_close")>(l, c.lame_close, missing);
    Take<IndexOf("id3tag_init")>(l, c.id3tag_init, missing);
    Take<IndexOf("id3tag_set_title")>(l, c.id3tag_set_title, missing);
    Take<IndexOf("id3tag_set_artist")>(l, c.id3tag_set_artist, missing);
    Take<IndexOf("id3tag_set_album")>(l, c.id3tag_set_album, missing);
    Take<IndexOf("id3tag_set_year")>(l, c.id3tag_set_year, missing);
    Take<IndexOf("id3tag_set_track")>(l, c.id3tag_set_track, missing);
    Take<IndexOf("id3tag_set_comment")>(l, c.id3tag_set_comment, missing);
    Take<IndexOf("id3tag_set_genre")>(l, c.id3tag_set_genre, missing);
    // Not among the table's names.
    c.lame_get_lametag_frame =
        reinterpret_cast<decltype(c.lame_get_lametag_frame)>(l.Symbol("lame_get_lametag_frame"));
    if (c.lame_get_lametag_frame == nullptr && missing.empty()) {
        missing = "lame_get_lametag_frame";
    }
    return missing;
}

} // namespace

void LoadEncoderLibrary() {
    EncoderBinding& b = Binding();
    try {
        const bool first = !b.Library.Loaded();
        b.Library.Acquire();
        if (!first) {
            return;
        }
        if (const std::string_view missing = TakeCalls(b); !missing.empty()) {
            // A library without every call the sink makes is no use; never call a null entry.
            b.Library.Release();
            b.Calls = {};
            throw platform::LibraryLoadError(b.Library.FileName() + ": no entry point " +
                                             std::string(missing));
        }
    } catch (const platform::LibraryLoadError& e) {
        std::cerr << "kestrune: " << e.what() << '\n';
    }
}

void UnloadEncoderLibrary() {
    EncoderBinding& b = Binding();
    b.Library.Release();
    if (!b.Library.Loaded()) {
        b.Calls = {};
    }
}

bool EncoderLibraryLoaded() {
    return Binding().Library.Loaded();
}

int EncoderLibraryUsers() {
    return Binding().Library.Users();
}

void* EncoderLibraryEntry(std::size_t Index) {
    return Binding().Library.Entry(Index);
}

const TLameCalls& Lame() {
    return Binding().Calls;
}

void SetEncoderLibraryFileName(std::string FileName) {
    Binding().Library.SetFileName(std::move(FileName));
}

} // namespace kestrune
