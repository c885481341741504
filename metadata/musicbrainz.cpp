#include "metadata/musicbrainz.h"

#include "metadata/web_address.h"

#include <algorithm>
#include <stdexcept>

namespace kestrune::metadata {

namespace {

// Base64 of a SHA-1 in MusicBrainz's alphabet: 28 characters of letters,
// digits, '.', '_' and '-'.
bool IsDiscId(const std::string& Text) {
    constexpr std::size_t length = 28;
    return Text.size() == length && std::all_of(Text.begin(), Text.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      c == '.' || c == '_' || c == '-';
           });
}

} // namespace

std::string DiscIdLookupUrl(const std::string& BaseUrl, const std::string& DiscId) {
    if (!IsDiscId(DiscId)) {
        throw std::invalid_argument("\"" + DiscId + "\" is not a MusicBrainz disc id.");
    }
    // Disc stubs are what users typed in for discs MusicBrainz lacks: no ids, often no artists.
    return WithoutTrailingSlash(BaseUrl) + "/ws/2/discid/" + DiscId +
           "?inc=recordings+artist-credits+release-groups+isrcs&fmt=json&cdstubs=no";
}

std::vector<AlbumMetadata> LookUpDisc(HttpClient& Client, const std::string& BaseUrl,
                                      const std::string& DiscId) {
    const std::string url = DiscIdLookupUrl(BaseUrl, DiscId);
    const HttpResponse answer = Client.Get(url, {"Accept: application/json"});
    if (answer.Status == 404) {
        return {};
    }
    if (answer.Status != 200) {
        throw HttpError(HttpFailure::UnexpectedStatus,
                        "MusicBrainz could not look up disc " + DiscId + ": it answered " + url +
                            " with status " + std::to_string(answer.Status) + ".");
    }
    return ParseDiscIdAnswer(answer.Body, DiscId);
}

} // namespace kestrune::metadata
