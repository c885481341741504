#include "tools/kestrune-rip/album_lookup.h"

#include "metadata/accuraterip.h"
#include "metadata/cover_art.h"
#include "metadata/ctdb.h"
#include "metadata/musicbrainz.h"
#include "platform/environment.h"
#include "tools/kestrune-rip/album_tags.h"
#include "tools/kestrune-rip/disc_ids.h"
#include "tools/kestrune-rip/rip_settings.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <exception>
#include <optional>
#include <utility>

namespace kestrune::rip {

namespace {

void Fill(std::string& Text, const std::string& Other) {
    if (Text.empty()) {
        Text = Other;
    }
}

void Fill(std::int32_t& Number, std::int32_t Other) {
    if (Number == 0) {
        Number = Other;
    }
}

void Fill(std::vector<std::string>& Ids, const std::vector<std::string>& Other) {
    if (Ids.empty()) {
        Ids = Other;
    }
}

void FillTrack(metadata::TrackMetadata& Track, const metadata::TrackMetadata& Other) {
    Fill(Track.Title, Other.Title);
    Fill(Track.Artist, Other.Artist);
    Fill(Track.Isrc, Other.Isrc);
    Fill(Track.RecordingId, Other.RecordingId);
    Fill(Track.ReleaseTrackId, Other.ReleaseTrackId);
    Fill(Track.ArtistIds, Other.ArtistIds);
}

// The releases MusicBrainz lists for the disc; none, with a warning on
// Messages, when it cannot say.
std::optional<std::vector<metadata::AlbumMetadata>> LookUp(metadata::HttpClient& Client,
                                                           const std::vector<DiscTrack>& Table,
                                                           const RipOptions& Options,
                                                           std::FILE* Messages) {
    try {
        const std::string discId = ComputeDiscIds(Table).MusicBrainz;
        return metadata::LookUpDisc(Client, Options.MusicBrainzUrl, discId);
    } catch (const std::exception& e) {
        std::fprintf(Messages, "kestrune-rip: warning: %s The disc's own texts are used.\n",
                     e.what());
        return std::nullopt;
    }
}

std::shared_ptr<const CoverPicture> FrontCover(metadata::HttpClient& Client,
                                               const metadata::AlbumMetadata& Album,
                                               const RipOptions& Options, std::FILE* Messages) {
    if (Album.ReleaseId.empty()) {
        std::fputs("kestrune-rip: warning: no cover: the disc has no MusicBrainz release.\n",
                   Messages);
        return nullptr;
    }
    try {
        std::optional<metadata::CoverImage> image =
            metadata::FetchFrontCover(Client, Options.CoverArtUrl, Album.ReleaseId);
        if (!image) {
            std::fprintf(Messages,
                         "kestrune-rip: warning: the Cover Art Archive holds no front cover of "
                         "release %s.\n",
                         Album.ReleaseId.c_str());
            return nullptr;
        }
        return std::make_shared<const CoverPicture>(
            CoverPicture{std::move(image->MimeType), std::move(image->Data)});
    } catch (const std::exception& e) {
        std::fprintf(Messages, "kestrune-rip: warning: no cover: %s\n", e.what());
        return nullptr;
    }
}

std::string Described(const metadata::AlbumMetadata& Album) {
    std::string text = Album.Title.empty() ? "(no title)" : Album.Title;
    if (!Album.Artist.empty()) {
        text += " by " + Album.Artist;
    }
    std::string details = Album.Date;
    if (!Album.Country.empty()) {
        details += (details.empty() ? "" : ", ") + Album.Country;
    }
    if (Album.DiscCount > 1) {
        details += (details.empty() ? "" : ", ") + std::string("disc ") +
                   std::to_string(Album.DiscNumber) + " of " + std::to_string(Album.DiscCount);
    }
    return Printable(text + (details.empty() ? "" : " (" + details + ")"));
}

} // namespace

std::string UserAgent(const std::string& Version) {
    return "kestrune/" + Version + " ( https://www.velmora.example )";
}

void TakeLookupSettings(RipOptions& Options) {
    if (platform::EnvironmentValue("KESTRUNE_OFFLINE").value_or("") == "1") {
        Options.Offline = true;
    }
    // The command line, then the environment, then the settings file's
    // [Services], then the public service.
    bool warned = false;
    const auto take = [&](std::string& Url, const char* Variable, const char* Key,
                          const char* Default) {
        if (!Url.empty()) {
            return;
        }
        if (const auto value = platform::EnvironmentValue(Variable)) {
            Url = *value;
            return;
        }
        try {
            Url = RipSetting("Services", Key).value_or("");
        } catch (const std::runtime_error& e) {
            if (!std::exchange(warned, true)) {
                std::fprintf(stderr,
                             "kestrune-rip: warning: %s; the services' settings are not read\n",
                             e.what());
            }
        }
        if (Url.empty()) {
            Url = Default;
        }
    };
    take(Options.MusicBrainzUrl, "KESTRUNE_MUSICBRAINZ_URL", "MusicBrainz",
         metadata::DefaultMusicBrainzUrl);
    take(Options.CoverArtUrl, "KESTRUNE_COVERART_URL", "CoverArt", metadata::DefaultCoverArtUrl);
    take(Options.AccurateRipUrl, "KESTRUNE_ACCURATERIP_URL", "AccurateRip",
         metadata::DefaultAccurateRipUrl);
    take(Options.CtdbUrl, "KESTRUNE_CTDB_URL", "CTDB", metadata::DefaultCtdbUrl);
}

metadata::AlbumMetadata MergeAlbums(const metadata::AlbumMetadata& Preferred,
                                    const metadata::AlbumMetadata& Other) {
    metadata::AlbumMetadata album = Preferred;
    Fill(album.Title, Other.Title);
    Fill(album.Artist, Other.Artist);
    Fill(album.Date, Other.Date);
    Fill(album.DiscNumber, Other.DiscNumber);
    Fill(album.DiscCount, Other.DiscCount);
    Fill(album.Catalogue, Other.Catalogue);
    Fill(album.ReleaseId, Other.ReleaseId);
    Fill(album.ReleaseGroupId, Other.ReleaseGroupId);
    Fill(album.DiscId, Other.DiscId);
    Fill(album.ArtistIds, Other.ArtistIds);
    Fill(album.Country, Other.Country);
    Fill(album.DiscTitle, Other.DiscTitle);
    for (const metadata::TrackMetadata& other : Other.Tracks) {
        const auto same =
            std::find_if(album.Tracks.begin(), album.Tracks.end(),
                         [&](const auto& track) { return track.Number == other.Number; });
        if (same == album.Tracks.end()) {
            album.Tracks.push_back(other);
        } else {
            FillTrack(*same, other);
        }
    }
    return album;
}

const metadata::AlbumMetadata& PickRelease(const std::vector<metadata::AlbumMetadata>& Releases,
                                           const std::string& Wanted) {
    if (Wanted.empty()) {
        return Releases.front();
    }
    std::size_t number = 0;
    const auto [end, error] = std::from_chars(Wanted.data(), Wanted.data() + Wanted.size(), number);
    if (error == std::errc() && end == Wanted.data() + Wanted.size()) {
        if (number >= 1 && number <= Releases.size()) {
            return Releases[number - 1];
        }
    } else {
        const auto found = std::find_if(Releases.begin(), Releases.end(), [&](const auto& release) {
            return release.ReleaseId == Wanted;
        });
        if (found != Releases.end()) {
            return *found;
        }
    }
    throw UsageError(
        "--release " + Wanted + ": MusicBrainz lists " + std::to_string(Releases.size()) +
        (Releases.size() == 1 ? " release" : " releases") + " of this disc (see --list)");
}

FoundAlbum FindAlbum(metadata::HttpClient& Client, const std::vector<DiscTrack>& Table,
                     const RipOptions& Options, std::FILE* Messages) {
    FoundAlbum found{CdTextAlbum(Table), nullptr};
    if (Options.Offline || Table.empty()) {
        return found;
    }
    const auto releases = LookUp(Client, Table, Options, Messages);
    if (releases && releases->empty() && !Options.Quiet) {
        std::fputs("MusicBrainz knows no release of this disc; the disc's own texts are used.\n",
                   Messages);
    }
    if (releases && !releases->empty()) {
        const metadata::AlbumMetadata& release = PickRelease(*releases, Options.Release);
        if (!Options.Quiet) {
            const auto number = (&release - releases->data()) + 1;
            std::fprintf(Messages, "Tags from MusicBrainz release %td of %zu: %s, %s\n", number,
                         releases->size(), Described(release).c_str(),
                         Printable(release.ReleaseId).c_str());
        }
        found.Album = Options.PreferCdText ? MergeAlbums(found.Album, release)
                                           : MergeAlbums(release, found.Album);
    }
    if (Options.Cover) {
        found.FrontCover = FrontCover(Client, found.Album, Options, Messages);
    }
    return found;
}

std::string ListReleases(metadata::HttpClient& Client, const std::vector<DiscTrack>& Table,
                         const RipOptions& Options) {
    if (Options.Offline) {
        return {};
    }
    try {
        const std::string discId = ComputeDiscIds(Table).MusicBrainz;
        const auto releases = metadata::LookUpDisc(Client, Options.MusicBrainzUrl, discId);
        if (releases.empty()) {
            return "MusicBrainz releases: none\n";
        }
        std::string text = "MusicBrainz releases:\n";
        for (std::size_t index = 0; index < releases.size(); ++index) {
            text += "  " + std::to_string(index + 1) + "  " + Printable(releases[index].ReleaseId) +
                    "  " + Described(releases[index]) + "\n";
        }
        return text;
    } catch (const std::exception& e) {
        return std::string("MusicBrainz releases: unknown (") + e.what() + ")\n";
    }
}

} // namespace kestrune::rip
