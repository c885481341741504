#pragma once

#include "metadata/disc_metadata.h"
#include "metadata/http_client.h"
#include "tools/kestrune-rip/disc_table.h"
#include "tools/kestrune-rip/rip_options.h"
#include "tools/kestrune-rip/track_tags.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace kestrune::rip {

// The user agent MusicBrainz asks every program to send: name, version and
// how to reach its makers.
std::string UserAgent(const std::string& Version);

// Fills in the online options the command line left open from the
// environment (KESTRUNE_OFFLINE, KESTRUNE_MUSICBRAINZ_URL,
// KESTRUNE_COVERART_URL, KESTRUNE_ACCURATERIP_URL, KESTRUNE_CTDB_URL), then
// from kestrune-rip.ini's [Services] (MusicBrainz, CoverArt, AccurateRip,
// CTDB), then from the public services' addresses.
void TakeLookupSettings(RipOptions& Options);

// Album with the texts and numbers it lacks taken from Other: the
// preferred source wins where both have one; ids come from whichever has them.
metadata::AlbumMetadata MergeAlbums(const metadata::AlbumMetadata& Preferred,
                                    const metadata::AlbumMetadata& Other);

// The release --release names among those MusicBrainz lists (a number from 1
// or a release id); the first when it names none. Raises UsageError when it
// names one the list lacks.
const metadata::AlbumMetadata& PickRelease(const std::vector<metadata::AlbumMetadata>& Releases,
                                           const std::string& Wanted);

// What a disc is named and tagged from, and what was found on the way.
struct FoundAlbum {
    metadata::AlbumMetadata Album;
    std::shared_ptr<const CoverPicture> FrontCover;
};

// The disc's album: its CD-Text (Table), and unless Options say offline the
// release MusicBrainz holds for it, merged as the options prefer; with
// --cover the release's front cover. The network never fails the rip: a
// service that cannot be reached or answers nonsense is a warning on Messages
// and the disc's own texts are used. Messages also says which release was
// taken, unless quiet.
FoundAlbum FindAlbum(metadata::HttpClient& Client, const std::vector<DiscTrack>& Table,
                     const RipOptions& Options, std::FILE* Messages);

// The releases of the disc for --list, a line each, numbered as --release
// takes them; a line saying why when there are none.
std::string ListReleases(metadata::HttpClient& Client, const std::vector<DiscTrack>& Table,
                         const RipOptions& Options);

} // namespace kestrune::rip
