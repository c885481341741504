// The reading of a disc id lookup's JSON, as the web service's version 2
// writes it: releases, each with its media, each medium with its disc ids and
// tracks.
#include "metadata/musicbrainz.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <stdexcept>

namespace kestrune::metadata {

namespace {

using nlohmann::json;

[[noreturn]] void Unreadable(const std::string& Why) {
    throw std::runtime_error("The MusicBrainz answer could not be read: " + Why);
}

// Where tells the message what is wrong ("track 3 of medium 1 of release 2").
const json& Member(const json& Object, const char* Name, const std::string& Where) {
    const auto found = Object.find(Name);
    if (found == Object.end() || found->is_null()) {
        Unreadable(Where + " has no " + Name + ".");
    }
    return *found;
}

const json& ListMember(const json& Object, const char* Name, const std::string& Where) {
    const json& value = Member(Object, Name, Where);
    if (!value.is_array()) {
        Unreadable("the " + std::string(Name) + " of " + Where + " are not a list.");
    }
    return value;
}

std::string TextMember(const json& Object, const char* Name, const std::string& Where) {
    const json& value = Member(Object, Name, Where);
    if (!value.is_string()) {
        Unreadable("the " + std::string(Name) + " of " + Where + " is not a text.");
    }
    return value.get<std::string>();
}

// MusicBrainz writes null or leaves the member out for what it does not know.
std::string OptionalText(const json& Object, const char* Name, const std::string& Where) {
    const auto found = Object.find(Name);
    if (found == Object.end() || found->is_null()) {
        return {};
    }
    return TextMember(Object, Name, Where);
}

std::int32_t PositionMember(const json& Object, const char* Name, const std::string& Where) {
    const json& value = Member(Object, Name, Where);
    constexpr std::int64_t largest = 100'000;
    if (!value.is_number_integer() || value.get<std::int64_t>() < 0 ||
        value.get<std::int64_t>() > largest) {
        Unreadable("the " + std::string(Name) + " of " + Where + " is not a position.");
    }
    return value.get<std::int32_t>();
}

std::string Numbered(const char* What, std::size_t Index, const std::string& Of) {
    return std::string(What) + " " + std::to_string(Index + 1) + (Of.empty() ? "" : " of " + Of);
}

struct Credit {
    std::string Text;
    std::vector<std::string> ArtistIds;
};

// The credited names with the phrases between them ("A feat. B & C").
Credit ReadCredit(const json& Owner, const std::string& Where) {
    Credit credit;
    const auto found = Owner.find("artist-credit");
    if (found == Owner.end() || found->is_null()) {
        return credit;
    }
    if (!found->is_array()) {
        Unreadable("the artist-credit of " + Where + " is not a list.");
    }
    for (std::size_t index = 0; index < found->size(); ++index) {
        const json& name = (*found)[index];
        const std::string here = Numbered("artist credit", index, Where);
        credit.Text += TextMember(name, "name", here) + OptionalText(name, "joinphrase", here);
        const auto artist = name.find("artist");
        if (artist != name.end() && artist->is_object()) {
            std::string id = OptionalText(*artist, "id", "the artist of " + here);
            if (!id.empty()) {
                credit.ArtistIds.push_back(std::move(id));
            }
        }
    }
    return credit;
}

// A track without a credit of its own is the album artist's.
TrackMetadata ReadTrack(const json& Track, const std::string& Where, const AlbumMetadata& Album) {
    TrackMetadata track;
    track.Number = PositionMember(Track, "position", Where);
    track.Title = TextMember(Track, "title", Where);
    track.ReleaseTrackId = OptionalText(Track, "id", Where);
    const auto recording = Track.find("recording");
    if (recording != Track.end() && recording->is_object()) {
        track.RecordingId = OptionalText(*recording, "id", "the recording of " + Where);
        // A recording may have several codes (reissues); the first is the usual one.
        const auto isrcs = recording->find("isrcs");
        if (isrcs != recording->end() && isrcs->is_array() && !isrcs->empty()) {
            track.Isrc = isrcs->front().is_string() ? isrcs->front().get<std::string>() : "";
        }
    }
    Credit credit = ReadCredit(Track, Where);
    if (credit.Text.empty()) {
        track.Artist = Album.Artist;
        track.ArtistIds = Album.ArtistIds;
    } else {
        track.Artist = std::move(credit.Text);
        track.ArtistIds = std::move(credit.ArtistIds);
    }
    return track;
}

// The first medium that lists the disc; a medium with no disc ids (vinyl,
// a DVD) lists none.
std::optional<std::size_t> MediumWithDisc(const json& Media, const std::string& DiscId,
                                          const std::string& Where) {
    for (std::size_t index = 0; index < Media.size(); ++index) {
        const std::string here = Numbered("medium", index, Where);
        const auto discs = Media[index].find("discs");
        if (discs == Media[index].end() || discs->is_null()) {
            continue;
        }
        const json& list = ListMember(Media[index], "discs", here);
        for (std::size_t disc = 0; disc < list.size(); ++disc) {
            if (TextMember(list[disc], "id", Numbered("disc", disc, here)) == DiscId) {
                return index;
            }
        }
    }
    return std::nullopt;
}

AlbumMetadata ReadAlbum(const json& Release, const std::string& Where) {
    AlbumMetadata album;
    album.ReleaseId = TextMember(Release, "id", Where);
    album.Title = TextMember(Release, "title", Where);
    album.Date = OptionalText(Release, "date", Where);
    album.Country = OptionalText(Release, "country", Where);
    album.Catalogue = OptionalText(Release, "barcode", Where);
    // Only there when the lookup asked for release groups.
    const auto group = Release.find("release-group");
    if (group != Release.end() && group->is_object()) {
        album.ReleaseGroupId = OptionalText(*group, "id", "the release group of " + Where);
    }
    Credit credit = ReadCredit(Release, Where);
    album.Artist = std::move(credit.Text);
    album.ArtistIds = std::move(credit.ArtistIds);
    album.Source = "MusicBrainz";
    return album;
}

// Data tracks and a hidden track in the first pregap are listed apart from
// the tracks and are left out: they are no tracks a rip makes.
std::optional<AlbumMetadata> ReadRelease(const json& Release, const std::string& DiscId,
                                         const std::string& Where) {
    const json& media = ListMember(Release, "media", Where);
    const std::optional<std::size_t> chosen = MediumWithDisc(media, DiscId, Where);
    if (!chosen) {
        return std::nullopt;
    }
    AlbumMetadata album = ReadAlbum(Release, Where);
    album.DiscId = DiscId;
    const json& medium = media[*chosen];
    const std::string here = Numbered("medium", *chosen, Where);
    album.DiscNumber = PositionMember(medium, "position", here);
    album.DiscCount = static_cast<std::int32_t>(media.size());
    album.DiscTitle = OptionalText(medium, "title", here);
    const json& tracks = ListMember(medium, "tracks", here);
    for (std::size_t index = 0; index < tracks.size(); ++index) {
        album.Tracks.push_back(ReadTrack(tracks[index], Numbered("track", index, here), album));
    }
    return album;
}

json ParseJson(const std::string& Text) {
    try {
        return json::parse(Text);
    } catch (const json::parse_error& error) {
        Unreadable("it is not JSON (the error is at byte " + std::to_string(error.byte) + ").");
    }
}

} // namespace

std::vector<AlbumMetadata> ParseDiscIdAnswer(const std::string& Json, const std::string& DiscId) {
    const json answer = ParseJson(Json);
    if (!answer.is_object()) {
        Unreadable("it is no lookup answer.");
    }
    const json& releases = ListMember(answer, "releases", "the answer");
    std::vector<AlbumMetadata> albums;
    for (std::size_t index = 0; index < releases.size(); ++index) {
        std::optional<AlbumMetadata> album =
            ReadRelease(releases[index], DiscId, Numbered("release", index, ""));
        if (album) {
            albums.push_back(std::move(*album));
        }
    }
    return albums;
}

} // namespace kestrune::metadata
