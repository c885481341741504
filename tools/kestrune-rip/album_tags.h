#pragma once

#include "metadata/disc_metadata.h"
#include "tools/kestrune-rip/disc_table.h"
#include "tools/kestrune-rip/rip_options.h"
#include "tools/kestrune-rip/track_tags.h"

#include <vector>

namespace kestrune::rip {

// The album as the disc's CD-Text tells it (read with its table); texts the
// disc lacks are empty.
metadata::AlbumMetadata CdTextAlbum(const std::vector<DiscTrack>& Tracks);

// The tags of Track: Album's texts, then what the command line gives, which
// wins. A track without an artist of its own has the album's. The count is
// that of the disc's audio tracks.
TrackTags TagsFor(const metadata::AlbumMetadata& Album, const std::vector<DiscTrack>& Tracks,
                  const DiscTrack& Track, const RipOptions& Options);

} // namespace kestrune::rip
