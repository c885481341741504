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

// Fills the typed calls; the name of the first one missing, or empty.
std::string_view TakeCalls(EncoderBinding& B) {
    const platform::RunTimeLibrary& l = B.Library;
    TLameCalls& c = B.Calls;
    std::string_view missing;
    l.Take(IndexOf("lame_init"), c.lame_init, missing);
    l.Take(IndexOf("lame_set_num_samples"), c.lame_set_num_samples, missing);
    l.Take(IndexOf("lame_set_in_samplerate"), c.lame_set_in_samplerate, missing);
    l.Take(IndexOf("lame_set_num_channels"), c.lame_set_num_channels, missing);
    l.Take(IndexOf("lame_set_out_samplerate"), c.lame_set_out_samplerate, missing);
    l.Take(IndexOf("lame_set_mode"), c.lame_set_mode, missing);
    l.Take(IndexOf("lame_set_copyright"), c.lame_set_copyright, missing);
    l.Take(IndexOf("lame_set_original"), c.lame_set_original, missing);
    l.Take(IndexOf("lame_set_error_protection"), c.lame_set_error_protection, missing);
    l.Take(IndexOf("lame_set_brate"), c.lame_set_brate, missing);
    l.Take(IndexOf("lame_set_quality"), c.lame_set_quality, missing);
    l.Take(IndexOf("lame_set_bWriteVbrTag"), c.lame_set_bWriteVbrTag, missing);
    l.Take(IndexOf("lame_set_VBR"), c.lame_set_VBR, missing);
    l.Take(IndexOf("lame_set_VBR_q"), c.lame_set_VBR_q, missing);
    l.Take(IndexOf("lame_set_VBR_min_bitrate_kbps"), c.lame_set_VBR_min_bitrate_kbps, missing);
    l.Take(IndexOf("lame_set_VBR_max_bitrate_kbps"), c.lame_set_VBR_max_bitrate_kbps, missing);
    l.Take(IndexOf("lame_init_params"), c.lame_init_params, missing);
    l.Take(IndexOf("lame_encode_buffer_interleaved"), c.lame_encode_buffer_interleaved, missing);
    l.Take(IndexOf("lame_encode_buffer"), c.lame_encode_buffer, missing);
    l.Take(IndexOf("lame_encode_flush"), c.lame_encode_flush, missing);
    l.Take(IndexOf("lame_close"), c.lame_close, missing);
    l.Take(IndexOf("id3tag_init"), c.id3tag_init, missing);
    l.Take(IndexOf("id3tag_set_title"), c.id3tag_set_title, missing);
    l.Take(IndexOf("id3tag_set_artist"), c.id3tag_set_artist, missing);
    l.Take(IndexOf("id3tag_set_album"), c.id3tag_set_album, missing);
    l.Take(IndexOf("id3tag_set_year"), c.id3tag_set_year, missing);
    l.Take(IndexOf("id3tag_set_track"), c.id3tag_set_track, missing);
    l.Take(IndexOf("id3tag_set_comment"), c.id3tag_set_comment, missing);
    l.Take(IndexOf("id3tag_set_genre"), c.id3tag_set_genre, missing);
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
