/* libdiscread: reads the table of contents and the digital audio of CDs in
 * drives or in disc images, through a plain C interface.
 *
 * All integers are 32-bit; an error code is 0 on success. Sector addresses are
 * absolute logical sector numbers (the first sector of a disc image is 0); one
 * sector holds 2352 bytes of audio. A reading covers [first, end): the end
 * sector is not read.
 *
 * Drives are: the one path in the environment variable DISCREAD_DISC (never
 * split), else the entries of DISCREAD_DRIVES (device nodes or disc images,
 * separated by ':'), otherwise the CD drives the system has. An image that
 * does not exist is a drive without a disc. Images (.cue, .toc, .nrg, .iso) are
 * read by the library itself; their sheets and data files must be regular
 * files, and no image may hold more than 99 minutes. DISCREAD_PARANOIA=1 reads
 * images through libcdio-paranoia, as drives are read.
 *
 * DISCREAD_SIMULATE, for tests and benchmarks, reads images as a drive that
 * behaves as it says (physical drives are left as they are): settings
 * separated by ',' or ';', blanks around them ignored,
 *   speed=N[x]    N times real time (1 = 75 sectors a second), N a decimal
 *                 number above 0: reads are held back until a drive of that
 *                 speed, reading while it is asked to, would have delivered
 *                 them, on one schedule from the first read (a late wake-up
 *                 is made up; time the caller keeps the drive waiting is not)
 *   seek=Dms|Ds   D (decimal, at most an hour) added to every read that does
 *                 not start where the one before ended
 *   bad=R         every read that touches R fails
 *   flaky=R       the first read that touches R fails, later ones succeed
 *   garble=R      the first read that touches R gives those sectors wrong
 *                 (every byte changed) without failing, later ones right
 *                 (first: of each reading, as for flaky=)
 *   R             one more range of the bad=, flaky= or garble= before it
 *   model=TEXT    what DR_GetDriveModel answers for the image, as a drive
 *                 names its vendor, model and revision (no ',' or ';')
 *   lead=N        N sectors (1 to 100000) before the disc and past its data
 *                 read as a drive reads its lead-in and lead-out, for
 *                 DR_SetOverread: byte b of sector s is (31 s + b) mod 256
 * where R is a sector or FIRST-LAST (both read, FIRST at most LAST); speed,
 * seek, model and lead are given once at most. Example: speed=24,seek=80ms,bad=21000-21010.
 * The images are then read as drives are (through libcdio-paranoia, unless
 * nParanoiaMode=0), so paranoia reads a flaky sector again; a read that
 * fails names the sector. A value that is not right makes DR_OpenRipper
 * return DR_ERR_NO_DRIVE with a text that names the variable and the part.
 *
 * Every failing call leaves a text for the user that says what went wrong;
 * DR_GetLastErrorText gives it. TrackNumber in the table is the disc's own
 * number, which need not start at 1.
 *
 * Threads: DR_RipChunk may run on another thread than the other calls; the
 * library serialises all calls. An open reading reads ahead of DR_RipChunk on
 * a thread of the library's own, four seconds of audio at most, and waits
 * while they are not taken (a paused rip); what DR_RipChunk hands out, and
 * where a failed read is reported, are as if each chunk were read when asked
 * for. DR_CloseRipper, an abort, DR_OpenRipper, DR_SetActiveCDROM of another
 * drive, DR_Init and DR_DeInit end that thread before they return, at once
 * also while a read waits (a slow simulated drive, the test gate). */
#ifndef DISCREAD_H
#define DISCREAD_H

#include <stdint.h>

#if defined(_WIN32)
#define DISCREAD_API __declspec(dllexport)
#else
#define DISCREAD_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One entry of the table of contents. Flag is (ADR << 4) | CONTROL: 0x10 for
 * plain audio, +0x04 data, +0x02 copy permitted, +0x01 pre-emphasis, +0x08 four
 * channels. The entry after the last track is the lead-out (TrackNumber 0xAA). */
typedef struct TTocEntry {
    int32_t StartSector;
    uint8_t Flag;
    uint8_t TrackNumber;
    uint8_t Reserved[2];
} TTocEntry;

/* The CONTROL bits of TTocEntry.Flag. */
enum {
    DR_CONTROL_PRE_EMPHASIS = 0x01,
    DR_CONTROL_COPY_PERMITTED = 0x02,
    DR_CONTROL_DATA = 0x04,
    DR_CONTROL_FOUR_CHANNELS = 0x08
};

enum {
    DR_OK = 0,
    DR_ERR_NOT_INITIALISED = 1,
    DR_ERR_NO_DRIVE = 2,
    DR_ERR_NO_DISC = 3,
    DR_ERR_TOC = 4,
    DR_ERR_READ = 5,
    DR_ERR_ARGUMENT = 6,
    DR_ERR_NOT_OPEN = 7,
    DR_ERR_ABORTED = 8
};

/* 0x0100 is version 1.0. */
DISCREAD_API int32_t DR_GetDiscReadVersion(void);

/* Reads the settings file (section [CD-ROM]: nActive = the drive to start with,
 * nParanoiaMode = 0 plain reads, 1 overlap checking, 2 full verification with
 * retries (the default)) and finds the drives. May be called again. */
DISCREAD_API int32_t DR_Init(const char* settingsPath);
DISCREAD_API int32_t DR_DeInit(void);

DISCREAD_API int32_t DR_GetNumCDROM(void);
DISCREAD_API int32_t DR_SetActiveCDROM(int32_t index);

/* Stores 0 in *status when a disc is in the active drive, non-zero when not. */
DISCREAD_API int32_t DR_IsMediaLoaded(int32_t* status);
/* Non-zero while the active drive plays audio. */
DISCREAD_API int32_t DR_IsAudioPlaying(void);

/* Reads the table of contents of the disc in the active drive; the two calls
 * after it answer from what was read. */
DISCREAD_API int32_t DR_ReadToc(void);
DISCREAD_API int32_t DR_GetNumTocEntries(void);
/* Index 0 .. tracks-1 for the tracks, index = tracks for the lead-out; any other
 * index gives an entry of zeros. */
DISCREAD_API TTocEntry DR_GetTocEntry(int32_t index);

/* Opens sequential reading of [first, end). *chunkBytes is the size of the
 * caller's buffer; it is lowered to whole sectors, never raised. */
DISCREAD_API int32_t DR_OpenRipper(int32_t* chunkBytes, int32_t first, int32_t end);
/* Delivers the next chunk; *bytes is 0 at the end of the range. A failed read
 * returns an error code with *bytes 0, after every chunk before it; the
 * reading stays there, so the next call reads that chunk again. A non-zero
 * *abort ends the reading. */
DISCREAD_API int32_t DR_RipChunk(uint8_t* buffer, int32_t* bytes, int32_t* abort);
/* Ends the reading; harmless when none is open. */
DISCREAD_API int32_t DR_CloseRipper(void);

/* What the readings opened after the call do with a sector the drive cannot
 * read, even with paranoia's retries: skip 0 (the default) fails the reading
 * at its chunk, as DR_RipChunk says; non-zero hands the sector out as silence
 * (2352 zero bytes) and goes on, a chunk that holds such a sector being read
 * again sector by sector, plainly. Optional like DR_GetTrackText. */
DISCREAD_API int32_t DR_SetSkipUnreadable(int32_t skip);
/* The sectors of the open reading handed out as silence so far (by the
 * DR_RipChunk calls before this one), in the order they were handed out:
 * copies up to capacity of them into sectors (NULL when capacity is 0) and
 * returns how many there are; 0 when no reading is open, -1 for a negative
 * capacity or a NULL sectors with room. Optional like DR_GetTrackText. */
DISCREAD_API int32_t DR_GetUnreadable(int32_t* sectors, int32_t capacity);

/* The drive's read offset, corrected by the readings opened after the call:
 * sample k of what DR_RipChunk hands out is sample k + samples of what the
 * drive reads (a sample is 4 bytes, 588 to a sector). What falls before the
 * disc's first sector or past its last is silence (see DR_SetOverread). At most 44100 either way
 * (DR_ERR_ARGUMENT); 0, the default, reads as the drive does. Optional like DR_GetTrackText. */
DISCREAD_API int32_t DR_SetReadOffset(int32_t samples);
/* With overread non-zero, the readings opened after the call take what the
 * read offset moves in from before the disc's first sector or past its last
 * from the drive's lead-in and lead-out, a sector at a time, where the drive
 * reads there; a sector it will not read is silence, as it is for every one
 * with overread 0 (the default). Optional like DR_GetTrackText. */
DISCREAD_API int32_t DR_SetOverread(int32_t overread);

/* Stores 1 in *reads when path names one of the files the active drive's disc
 * image consists of (the same file, however it is named), else 0. Writers use
 * it to never write over the disc they read. */
DISCREAD_API int32_t DR_ReadsFile(const char* path, int32_t* reads);

/* The texts a disc image keeps beside its table (CD-Text, ISRC, catalogue
 * number), from what DR_ReadToc read. index is a table index, or -1 for the
 * disc (whose ISRC field is its catalogue number). Copies the text as
 * DR_GetLastErrorText does and returns its full length (0 when the disc has
 * none), -1 for an index or field out of range. */
enum { DR_TEXT_ISRC = 0, DR_TEXT_TITLE = 1, DR_TEXT_PERFORMER = 2, DR_TEXT_SONGWRITER = 3 };
DISCREAD_API int32_t DR_GetTrackText(int32_t index, int32_t field, char* text, int32_t bytes);

/* The pregap of table index (0 .. DR_GetNumTocEntries()-1), from what
 * DR_ReadToc read: how many sectors before the track's start (INDEX 01) its
 * INDEX 00 lies, stored or silent. Those sectors end the range of the track in
 * front. 0 when the track has none or the drive cannot tell; -1 for an index
 * out of range. Optional like DR_GetTrackText. */
DISCREAD_API int32_t DR_GetTrackPregap(int32_t index);

/* The path of drive index (0 .. DR_GetNumCDROM()-1) as the drive list names
 * it: a device node such as /dev/sr0, or a disc image. Copies it as
 * DR_GetLastErrorText does and returns its full length, -1 for an index out
 * of range. Desktops name drives by their device; this finds the index. */
DISCREAD_API int32_t DR_GetDriveName(int32_t index, char* text, int32_t bytes);
/* The vendor, model and firmware revision drive index reports (such as
 * "HL-DT-ST DVDRAM GH24NSD1 1.00"), copied as DR_GetLastErrorText does; its
 * full length, 0 for a disc image (unless DISCREAD_SIMULATE names a model)
 * or a drive that cannot be asked, -1 for an index out of range. Read
 * offsets belong to a drive's model. Optional. */
DISCREAD_API int32_t DR_GetDriveModel(int32_t index, char* text, int32_t bytes);

/* Copies the text of the calling thread's last failed call (UTF-8, empty when
 * that call succeeded) into text, cut to bytes - 1 bytes and zero-terminated;
 * returns the text's full length. text may be NULL to ask for the length. */
DISCREAD_API int32_t DR_GetLastErrorText(char* text, int32_t bytes);

#ifdef __cplusplus
}
#endif

#endif
