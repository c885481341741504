#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrune::metadata {

// What names and tags a track: from the disc's CD-Text, from an online
// database, or from the command line. Texts are UTF-8; an empty text is
// unknown. The MusicBrainz ids are empty unless the text came from there.
struct TrackMetadata {
    std::int32_t Number = 0; // the disc's own track number
    std::string Title;
    std::string Artist;
    std::string Isrc;
    std::string RecordingId;            // MusicBrainz recording
    std::string ReleaseTrackId;         // MusicBrainz track of the release
    std::vector<std::string> ArtistIds; // MusicBrainz artists of the track
};

struct AlbumMetadata {
    std::string Title;
    std::string Artist;          // the album artist
    std::string Date;            // "YYYY", "YYYY-MM" or "YYYY-MM-DD"
    std::int32_t DiscNumber = 0; // 0: unknown
    std::int32_t DiscCount = 0;
    std::string Catalogue;      // the disc's media catalogue number or the release's barcode
    std::string ReleaseId;      // MusicBrainz release
    std::string ReleaseGroupId; // MusicBrainz release group
    std::string DiscId;         // the MusicBrainz disc id the release was found by
    std::vector<std::string> ArtistIds; // MusicBrainz artists of the album
    std::string Country;
    std::string DiscTitle; // the disc's own title within a set ("Bonus Disc"); mostly empty
    std::string Source;    // where it came from, for messages: "CD-Text", "MusicBrainz"
    std::vector<TrackMetadata> Tracks; // in the disc's order
};

} // namespace kestrune::metadata
