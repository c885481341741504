#pragma once

// The binding to the disc reading library, loaded at run time by its bare file
// name. One binding state for the process: the library handle, whether it is
// loaded, and its table of entry points.

#include "cdin/discread_names.h"
#include "platform/entry_points.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrune {

// A table-of-contents entry as the library returns it by value.
struct TTocEntry {
    std::int32_t StartSector; // absolute sector address
    std::uint8_t Flag;        // (ADR << 4) | CONTROL
    std::uint8_t TrackNumber;
    std::uint8_t Reserved[2];
};
static_assert(sizeof(TTocEntry) == 8, "the library hands the entry over in 8 bytes");

// The entry points the system calls. Each required one is present whenever
// RipLibraryLoaded() is true: a library that lacks one of them does not count as
// loaded. The optional ones, beyond the 42 names, are empty when the library
// does not offer them.
struct TRipEntryPoints : platform::EntryPointTable {
    using Need = platform::EntryNeed;
    template <class Fn> using Entry = platform::EntryPoint<Fn>;

    Entry<std::int32_t(const char* SettingsPath)> DR_Init{*this, "DR_Init"};
    Entry<std::int32_t()> DR_DeInit{*this, "DR_DeInit"};
    Entry<std::int32_t()> DR_GetNumCDROM{*this, "DR_GetNumCDROM"};
    Entry<std::int32_t(std::int32_t Index)> DR_SetActiveCDROM{*this, "DR_SetActiveCDROM"};
    Entry<std::int32_t(std::int32_t* Status)> DR_IsMediaLoaded{*this, "DR_IsMediaLoaded"};
    Entry<std::int32_t()> DR_IsAudioPlaying{*this, "DR_IsAudioPlaying"};
    Entry<std::int32_t()> DR_ReadToc{*this, "DR_ReadToc"};
    Entry<std::int32_t()> DR_GetNumTocEntries{*this, "DR_GetNumTocEntries"};
    Entry<TTocEntry(std::int32_t Index)> DR_GetTocEntry{*this, "DR_GetTocEntry"};
    Entry<std::int32_t(std::int32_t* ChunkBytes, std::int32_t First, std::int32_t End)>
        DR_OpenRipper{*this, "DR_OpenRipper"};
    Entry<std::int32_t(std::uint8_t* Buffer, std::int32_t* Bytes, std::int32_t* Abort)> DR_RipChunk{
        *this, "DR_RipChunk"};
    Entry<std::int32_t()> DR_CloseRipper{*this, "DR_CloseRipper"};
    Entry<std::int32_t(const char* Path, std::int32_t* Reads)> DR_ReadsFile{*this, "DR_ReadsFile",
                                                                            Need::Optional};
    Entry<std::int32_t(char* Text, std::int32_t Bytes)> DR_GetLastErrorText{
        *this, "DR_GetLastErrorText", Need::Optional};
    Entry<std::int32_t(std::int32_t Index, std::int32_t Field, char* Text, std::int32_t Bytes)>
        DR_GetTrackText{*this, "DR_GetTrackText", Need::Optional};
    Entry<std::int32_t(std::int32_t Index, char* Text, std::int32_t Bytes)> DR_GetDriveName{
        *this, "DR_GetDriveName", Need::Optional};
    Entry<std::int32_t(std::int32_t Index)> DR_GetTrackPregap{*this, "DR_GetTrackPregap",
                                                              Need::Optional};
    Entry<std::int32_t(std::int32_t Skip)> DR_SetSkipUnreadable{*this, "DR_SetSkipUnreadable",
                                                                Need::Optional};
    Entry<std::int32_t(std::int32_t* Sectors, std::int32_t Capacity)> DR_GetUnreadable{
        *this, "DR_GetUnreadable", Need::Optional};
    Entry<std::int32_t(std::int32_t Samples)> DR_SetReadOffset{*this, "DR_SetReadOffset",
                                                               Need::Optional};
    Entry<std::int32_t(std::int32_t Overread)> DR_SetOverread{*this, "DR_SetOverread",
                                                              Need::Optional};
    Entry<std::int32_t(std::int32_t Index, char* Text, std::int32_t Bytes)> DR_GetDriveModel{
        *this, "DR_GetDriveModel", Need::Optional};
};

// Loads the library (each call counts one load), resolves its entry points,
// writes "discread.ini" in Directory (which ends in a path separator) and
// initialises the library. An empty Directory means there is no settings
// folder: the library starts with its defaults, and standard error hears so
// once a process. When the library cannot be loaded or lacks a call
// the system makes, the loader's account goes to standard error and
// RipLibraryLoaded() stays as it was. Raises platform::IniWriteError when the
// settings file cannot be written.
void LoadRipLibrary(const std::string& Directory);
// Shuts the library down once and releases it, whatever the number of loads;
// at program end.
void UnloadRipLibrary();
bool RipLibraryLoaded();
// The resolved entry point of RipLibraryNames[Index], or nullptr.
void* RipLibraryEntry(std::size_t Index);
// The entry points the system calls; valid while RipLibraryLoaded().
const TRipEntryPoints& RipLibrary();

TTocEntry ReadTocEntry(std::int32_t Index);

// How many loads the library has had since it was last released.
int RipLibraryLoads();

// What the library says went wrong in its last failed call on this thread;
// empty when it says nothing (or cannot: the entry point is optional).
[[nodiscard]] std::string RipLibraryErrorText();

// A text the disc keeps for table index Index (-1: the disc): Field 0 the
// ISRC (the disc's catalogue number), 1 the title, 2 the performer, 3 the
// songwriter. Empty when there is none or the library cannot tell.
[[nodiscard]] std::string RipLibraryTrackText(std::int32_t Index, std::int32_t Field);
inline constexpr std::int32_t TrackTextIsrc = 0;
inline constexpr std::int32_t TrackTextTitle = 1;
inline constexpr std::int32_t TrackTextPerformer = 2;
// The index of the disc's own texts (whose ISRC is the catalogue number).
inline constexpr std::int32_t DiscTextIndex = -1;

// The pregap in sectors of table Index (DR_GetTrackPregap); 0 when the library
// cannot tell or lacks the call.
[[nodiscard]] std::int32_t RipLibraryTrackPregap(std::int32_t Index);

// Tells the library whether the readings opened from now on give a sector the
// drive cannot read as silence (DR_SetSkipUnreadable); false when the library
// lacks the call, whose readings always fail there.
bool RipLibrarySetSkipUnreadable(bool Skip);
// The sectors the open reading has handed out as silence (DR_GetUnreadable),
// when there are more than Known of them; else (or when the library lacks the
// call) nothing.
[[nodiscard]] std::vector<std::int32_t> RipLibraryUnreadable(std::size_t Known);

// The path of drive Index as the library names it (a device node or a disc
// image); empty when there is no such drive or the library cannot tell.
[[nodiscard]] std::string RipLibraryDriveName(std::int32_t Index);

// The vendor, model and revision drive Index reports; empty for an image, a
// drive that cannot tell, or a library without the call.
[[nodiscard]] std::string RipLibraryDriveModel(std::int32_t Index);

// Tests point the loader at another file name.
void SetRipLibraryFileName(std::string FileName);

} // namespace kestrune
