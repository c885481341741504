#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrune::rip {

// The ReplayGain 2 figures of some audio: the gain that brings it to the
// reference loudness (-18 LUFS) and its sample peak (1.0 is full scale).
struct ReplayGain {
    double GainDb = 0;
    double Peak = 0;
};

// A picture for the tag, as its bytes are (JPEG or PNG).
struct CoverPicture {
    std::string MimeType;
    std::string Data;
};

// Everything one file is tagged with. Texts are UTF-8; empty is unknown and
// leaves its frame out; a number of 0 is unknown.
struct TrackTags {
    std::string Title;
    std::string Artist;
    std::string Album;
    std::string AlbumArtist;
    std::int32_t TrackNumber = 0;
    std::int32_t TrackCount = 0;
    std::int32_t DiscNumber = 0;
    std::int32_t DiscCount = 0;
    std::string Date; // "YYYY", "YYYY-MM" or "YYYY-MM-DD"
    std::string Isrc;
    std::string Genre;
    std::string Comment;
    // The ids a tagger matches a file by, as MusicBrainz gives them.
    std::string MusicBrainzDiscId;
    std::string MusicBrainzReleaseId;
    std::string MusicBrainzReleaseGroupId;
    std::string MusicBrainzReleaseTrackId;
    std::string MusicBrainzRecordingId;
    std::vector<std::string> MusicBrainzArtistIds;
    std::vector<std::string> MusicBrainzAlbumArtistIds;
    std::shared_ptr<const CoverPicture> FrontCover; // one picture for every track of a disc
    std::optional<ReplayGain> TrackGain;
    std::optional<ReplayGain> AlbumGain;
};

} // namespace kestrune::rip
