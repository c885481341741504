#pragma once

// The binding to the LAME encoder, loaded at run time by its bare file name.
// lame.h gives the types only; every call goes through the table here.
//
// The library is held while any MP3 sink holds it: each sink takes it in its
// constructor and gives it back after its worker has ended, so it is never
// released while an encode may still run.

#include "mp3out/lame_names.h"

#include <lame/lame.h>

#include <cstddef>
#include <string>

namespace kestrune {

// The calls the MP3 sink makes; each is present whenever EncoderLibraryLoaded().
struct TLameCalls {
    decltype(&::lame_init) lame_init = nullptr;
    decltype(&::lame_set_num_samples) lame_set_num_samples = nullptr;
    decltype(&::lame_set_in_samplerate) lame_set_in_samplerate = nullptr;
    decltype(&::lame_set_num_channels) lame_set_num_channels = nullptr;
    decltype(&::lame_set_out_samplerate) lame_set_out_samplerate = nullptr;
    decltype(&::lame_set_mode) lame_set_mode = nullptr;
    decltype(&::lame_set_copyright) lame_set_copyright = nullptr;
    decltype(&::lame_set_original) lame_set_original = nullptr;
    decltype(&::lame_set_error_protection) lame_set_error_protection = nullptr;
    decltype(&::lame_set_brate) lame_set_brate = nullptr;
    decltype(&::lame_set_quality) lame_set_quality = nullptr;
    decltype(&::lame_set_bWriteVbrTag) lame_set_bWriteVbrTag = nullptr;
    decltype(&::lame_set_VBR) lame_set_VBR = nullptr;
    decltype(&::lame_set_VBR_q) lame_set_VBR_q = nullptr;
    decltype(&::lame_set_VBR_min_bitrate_kbps) lame_set_VBR_min_bitrate_kbps = nullptr;
    decltype(&::lame_set_VBR_max_bitrate_kbps) lame_set_VBR_max_bitrate_kbps = nullptr;
    decltype(&::lame_init_params) lame_init_params = nullptr;
    decltype(&::lame_encode_buffer_interleaved) lame_encode_buffer_interleaved = nullptr;
    decltype(&::lame_encode_buffer) lame_encode_buffer = nullptr;
    decltype(&::lame_encode_flush) lame_encode_flush = nullptr;
    decltype(&::lame_close) lame_close = nullptr;
    decltype(&::id3tag_init) id3tag_init = nullptr;
    decltype(&::id3tag_set_title) id3tag_set_title = nullptr;
    decltype(&::id3tag_set_artist) id3tag_set_artist = nullptr;
    decltype(&::id3tag_set_album) id3tag_set_album = nullptr;
    decltype(&::id3tag_set_year) id3tag_set_year = nullptr;
    decltype(&::id3tag_set_track) id3tag_set_track = nullptr;
    decltype(&::id3tag_set_comment) id3tag_set_comment = nullptr;
    decltype(&::id3tag_set_genre) id3tag_set_genre = nullptr;
    // Not among the 112 names: the Info/Xing frame written over the placeholder
    // at the head of the file once the run is over.
    decltype(&::lame_get_lametag_frame) lame_get_lametag_frame = nullptr;
};

// Takes the library for one sink, loading it if no sink holds it yet. When it
// cannot be loaded or lacks a call the sink makes, the loader's account goes to
// standard error, EncoderLibraryLoaded() is false and nothing was taken.
void LoadEncoderLibrary();
// Gives back what LoadEncoderLibrary took; the last one releases the library.
void UnloadEncoderLibrary();
bool EncoderLibraryLoaded();
// How many sinks hold the library.
int EncoderLibraryUsers();
void* EncoderLibraryEntry(std::size_t Index);
const TLameCalls& Lame();

// Tests point the loader at another file name.
void SetEncoderLibraryFileName(std::string FileName);

} // namespace kestrune
