#include "tools/kestrune-rip/album_tags.h"

#include "cdin/disc_types.h"
#include "cdin/discread_binding.h"

#include <algorithm>

namespace kestrune::rip {

namespace {

const metadata::TrackMetadata* TrackOf(const metadata::AlbumMetadata& Album, std::int32_t Number) {
    const auto found = std::find_if(Album.Tracks.begin(), Album.Tracks.end(),
                                    [Number](const auto& track) { return track.Number == Number; });
    return found == Album.Tracks.end() ? nullptr : &*found;
}

const std::string& Either(const std::string& Wanted, const std::string& Otherwise) {
    return Wanted.empty() ? Otherwise : Wanted;
}

void PutAlbum(const metadata::AlbumMetadata& Album, TrackTags& Tags) {
    Tags.Album = Album.Title;
    Tags.AlbumArtist = Album.Artist;
    Tags.Date = Album.Date;
    Tags.DiscNumber = Album.DiscNumber;
    Tags.DiscCount = Album.DiscCount;
    Tags.MusicBrainzReleaseId = Album.ReleaseId;
    Tags.MusicBrainzReleaseGroupId = Album.ReleaseGroupId;
    Tags.MusicBrainzDiscId = Album.DiscId;
    Tags.MusicBrainzAlbumArtistIds = Album.ArtistIds;
}

void PutTrack(const metadata::TrackMetadata& Track, TrackTags& Tags) {
    Tags.Title = Track.Title;
    Tags.Artist = Track.Artist;
    Tags.Isrc = Track.Isrc;
    Tags.MusicBrainzRecordingId = Track.RecordingId;
    Tags.MusicBrainzReleaseTrackId = Track.ReleaseTrackId;
    Tags.MusicBrainzArtistIds = Track.ArtistIds;
}

} // namespace

metadata::AlbumMetadata CdTextAlbum(const std::vector<DiscTrack>& Tracks) {
    metadata::AlbumMetadata album;
    album.Title = RipLibraryTrackText(DiscTextIndex, TrackTextTitle);
    album.Artist = RipLibraryTrackText(DiscTextIndex, TrackTextPerformer);
    album.Catalogue = RipLibraryTrackText(DiscTextIndex, TrackTextIsrc);
    album.Source = "CD-Text";
    for (const DiscTrack& track : Tracks) {
        metadata::TrackMetadata texts;
        texts.Number = track.Number;
        texts.Title = track.Title;
        texts.Artist = track.Performer;
        texts.Isrc = track.Isrc;
        album.Tracks.push_back(std::move(texts));
    }
    return album;
}

TrackTags TagsFor(const metadata::AlbumMetadata& Album, const std::vector<DiscTrack>& Tracks,
                  const DiscTrack& Track, const RipOptions& Options) {
    TrackTags tags;
    PutAlbum(Album, tags);
    if (const metadata::TrackMetadata* track = TrackOf(Album, Track.Number)) {
        PutTrack(*track, tags);
    }
    // The disc's own code wins over a database's copy of it.
    tags.Isrc = Either(Track.Isrc, tags.Isrc);
    tags.TrackNumber = Track.Number;
    tags.TrackCount = static_cast<std::int32_t>(std::count_if(
        Tracks.begin(), Tracks.end(), [](const DiscTrack& t) { return IsAudioFlag(t.Flag); }));
    tags.Title = Either(Options.Title, tags.Title);
    tags.Artist = Either(Options.Artist, tags.Artist);
    tags.Album = Either(Options.Album, tags.Album);
    tags.AlbumArtist = Either(Options.AlbumArtist, tags.AlbumArtist);
    tags.Date = Either(Options.Year, tags.Date);
    tags.Artist = Either(tags.Artist, tags.AlbumArtist);
    tags.Genre = Options.Genre;
    tags.Comment = Options.Comment;
    return tags;
}

} // namespace kestrune::rip
