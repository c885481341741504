#pragma once

// The binding to the LAME encoder, loaded at run time by its bare file name.
// lame.h gives the types only; every call goes through the table here.
//
// The library is held while any MP3 sink holds it: each sink takes it in its
// constructor and gives it back after its worker has ended, so it is never
// released while an encode may still run.

#include "mp3out/lame_names.h"
#include "platform/entry_points.h"

#include <lame/lame.h>

#include <cstddef>
#include <string>

namespace kestrune {

// The calls the MP3 sink makes; each is present whenever EncoderLibraryLoaded().
struct TLameCalls : platform::EntryPointTable {
    template <class Fn> using Entry = platform::EntryPoint<Fn>;

    Entry<decltype(::lame_init)> lame_init{*this, "lame_init"};
    Entry<decltype(::lame_set_num_samples)> lame_set_num_samples{*this, "lame_set_num_samples"};
    Entry<decltype(::lame_set_in_samplerate)> lame_set_in_samplerate{*this,
                                                                     "lame_set_in_samplerate"};
    Entry<decltype(::lame_set_num_channels)> lame_set_num_channels{*this, "lame_set_num_channels"};
    Entry<decltype(::lame_set_out_samplerate)> lame_set_out_samplerate{*this,
                                                                       "lame_set_out_samplerate"};
    Entry<decltype(::lame_set_mode)> lame_set_mode{*this, "lame_set_mode"};
    Entry<decltype(::lame_set_copyright)> lame_set_copyright{*this, "lame_set_copyright"};
    Entry<decltype(::lame_set_original)> lame_set_original{*this, "lame_set_original"};
    Entry<decltype(::lame_set_error_protection)> lame_set_error_protection{
        *this, "lame_set_error_protection"};
    Entry<decltype(::lame_set_brate)> lame_set_brate{*this, "lame_set_brate"};
    Entry<decltype(::lame_set_quality)> lame_set_quality{*this, "lame_set_quality"};
    Entry<decltype(::lame_set_bWriteVbrTag)> lame_set_bWriteVbrTag{*this, "lame_set_bWriteVbrTag"};
    Entry<decltype(::lame_set_VBR)> lame_set_VBR{*this, "lame_set_VBR"};
    Entry<decltype(::lame_set_VBR_q)> lame_set_VBR_q{*this, "lame_set_VBR_q"};
    Entry<decltype(::lame_set_VBR_min_bitrate_kbps)> lame_set_VBR_min_bitrate_kbps{
        *this, "lame_set_VBR_min_bitrate_kbps"};
    Entry<decltype(::lame_set_VBR_max_bitrate_kbps)> lame_set_VBR_max_bitrate_kbps{
        *this, "lame_set_VBR_max_bitrate_kbps"};
    Entry<decltype(::lame_init_params)> lame_init_params{*this, "lame_init_params"};
    Entry<decltype(::lame_encode_buffer_interleaved)> lame_encode_buffer_interleaved{
        *this, "lame_encode_buffer_interleaved"};
    Entry<decltype(::lame_encode_buffer)> lame_encode_buffer{*this, "lame_encode_buffer"};
    Entry<decltype(::lame_encode_flush)> lame_encode_flush{*this, "lame_encode_flush"};
    Entry<decltype(::lame_close)> lame_close{*this, "lame_close"};
    Entry<decltype(::id3tag_init)> id3tag_init{*this, "id3tag_init"};
    Entry<decltype(::id3tag_set_title)> id3tag_set_title{*this, "id3tag_set_title"};
    Entry<decltype(::id3tag_set_artist)> id3tag_set_artist{*this, "id3tag_set_artist"};
    Entry<decltype(::id3tag_set_album)> id3tag_set_album{*this, "id3tag_set_album"};
    Entry<decltype(::id3tag_set_year)> id3tag_set_year{*this, "id3tag_set_year"};
    Entry<decltype(::id3tag_set_track)> id3tag_set_track{*this, "id3tag_set_track"};
    Entry<decltype(::id3tag_set_comment)> id3tag_set_comment{*this, "id3tag_set_comment"};
    Entry<decltype(::id3tag_set_genre)> id3tag_set_genre{*this, "id3tag_set_genre"};
    // Not among the 112 names: the Info/Xing frame written over the placeholder
    // at the head of the file once the run is over.
    Entry<decltype(::lame_get_lametag_frame)> lame_get_lametag_frame{*this,
                                                                     "lame_get_lametag_frame"};
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
