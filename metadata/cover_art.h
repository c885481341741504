#pragma once

#include "metadata/http_client.h"

#include <optional>
#include <string>

namespace kestrune::metadata {

inline constexpr const char* DefaultCoverArtUrl = "https://coverartarchive.org";

struct CoverImage {
    std::string MimeType; // "image/jpeg" or "image/png", as the bytes show
    std::string Data;
};

// The front cover the Cover Art Archive holds for a MusicBrainz release,
// followed to wherever the archive sends for it; none when it holds none.
// Raises std::invalid_argument for a text that is no release id, HttpError
// when the archive cannot be reached or answers with another status, and
// std::runtime_error for an answer that is no JPEG or PNG picture.
[[nodiscard]] std::optional<CoverImage>
FetchFrontCover(HttpClient& Client, const std::string& BaseUrl, const std::string& ReleaseId);

} // namespace kestrune::metadata
