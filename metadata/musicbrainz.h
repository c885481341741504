#pragma once

#include "metadata/disc_metadata.h"
#include "metadata/http_client.h"

#include <string>
#include <vector>

namespace kestrune::metadata {

inline constexpr const char* DefaultMusicBrainzUrl = "https://musicbrainz.org";

// The web service's lookup of the releases that hold a disc, with their
// tracks and artists. BaseUrl may end in a slash. Raises
// std::invalid_argument for a text that is no disc id (it goes into the
// address as it is).
[[nodiscard]] std::string DiscIdLookupUrl(const std::string& BaseUrl, const std::string& DiscId);

// One entry per release that holds the disc, in the answer's order, each
// with the tracks of the disc's own medium. Raises std::runtime_error
// ("The MusicBrainz answer could not be read: ...") when the text is no
// lookup answer.
[[nodiscard]] std::vector<AlbumMetadata> ParseDiscIdAnswer(const std::string& Json,
                                                           const std::string& DiscId);

// Empty when MusicBrainz does not know the disc. Raises HttpError when the
// service cannot be reached or answers with another status.
[[nodiscard]] std::vector<AlbumMetadata> LookUpDisc(HttpClient& Client, const std::string& BaseUrl,
                                                    const std::string& DiscId);

} // namespace kestrune::metadata
