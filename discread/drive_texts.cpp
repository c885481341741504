#include "drive_texts.h"

#include <cdio/cdtext.h>
#include <cdio/track.h>

namespace discread {

namespace {

std::string CdText(const cdtext_t* Text, cdtext_field_t Field, track_t Track) {
    const char* value = Text != nullptr ? cdtext_get_const(Text, Field, Track) : nullptr;
    return value != nullptr ? std::string(value) : std::string();
}

TextFields FieldsOf(const cdtext_t* Text, track_t Track, cdtext_field_t Code) {
    return {CdText(Text, Code, Track), CdText(Text, CDTEXT_FIELD_TITLE, Track),
            CdText(Text, CDTEXT_FIELD_PERFORMER, Track),
            CdText(Text, CDTEXT_FIELD_SONGWRITER, Track)};
}

} // namespace

DiscTexts DriveTexts(CdIo_t* Handle) {
    DiscTexts texts;
    const track_t first = cdio_get_first_track_num(Handle);
    const track_t count = cdio_get_num_tracks(Handle);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK) {
        return texts;
    }
    // Track 0 of the CD-Text holds the disc's own texts; its code is the
    // disc's bar code.
    const cdtext_t* const text = cdio_get_cdtext(Handle);
    texts.Disc = FieldsOf(text, 0, CDTEXT_FIELD_UPC_EAN);
    for (track_t i = 0; i < count; ++i) {
        texts.Tracks.push_back(FieldsOf(text, static_cast<track_t>(first + i), CDTEXT_FIELD_ISRC));
    }
    return texts;
}

} // namespace discread
