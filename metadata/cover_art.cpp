#include "metadata/cover_art.h"

#include "metadata/web_address.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace kestrune::metadata {

namespace {

// A MusicBrainz id is a UUID: 8-4-4-4-12 hexadecimal digits.
bool IsMusicBrainzId(const std::string& Text) {
    constexpr std::string_view shape = "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx";
    return Text.size() == shape.size() &&
           std::equal(shape.begin(), shape.end(), Text.begin(), [](char form, char c) {
               return form == '-' ? c == '-' : std::isxdigit(static_cast<unsigned char>(c)) != 0;
           });
}

// A tag must say what its picture is, and a server's word for it (an error
// page served as image/jpeg) is not enough: the first bytes are.
std::string PictureType(const std::string& Data) {
    constexpr std::string_view png = "\x89PNG\r\n\x1a\n";
    constexpr std::string_view jpeg = "\xFF\xD8\xFF";
    if (Data.starts_with(png)) {
        return "image/png";
    }
    if (Data.starts_with(jpeg)) {
        return "image/jpeg";
    }
    return {};
}

} // namespace

std::optional<CoverImage> FetchFrontCover(HttpClient& Client, const std::string& BaseUrl,
                                          const std::string& ReleaseId) {
    if (!IsMusicBrainzId(ReleaseId)) {
        throw std::invalid_argument("\"" + ReleaseId + "\" is not a MusicBrainz release id.");
    }
    const std::string url = WithoutTrailingSlash(BaseUrl) + "/release/" + ReleaseId + "/front";
    HttpResponse answer = Client.Get(url);
    if (answer.Status == 404) {
        return std::nullopt;
    }
    if (answer.Status != 200) {
        throw HttpError(HttpFailure::UnexpectedStatus,
                        "The Cover Art Archive could not give the cover of release " + ReleaseId +
                            ": it answered " + url + " with status " +
                            std::to_string(answer.Status) + ".");
    }
    std::string type = PictureType(answer.Body);
    if (type.empty()) {
        throw std::runtime_error("The cover of release " + ReleaseId + " from " + url +
                                 " is not a JPEG or PNG picture.");
    }
    return CoverImage{std::move(type), std::move(answer.Body)};
}

} // namespace kestrune::metadata
