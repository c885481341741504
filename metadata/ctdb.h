#pragma once

#include "metadata/http_client.h"

#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune::metadata {

// The CUETools database answers lookups over plain HTTP.
inline constexpr const char* DefaultCtdbUrl = "http://db.cuetools.net";

// One pressing the database holds: how many rips agreed on it, the CRC32 of
// the disc's audio less its outer ten sectors, and each audio track's CRC32.
struct CtdbEntry {
    std::int32_t Confidence = 0;
    std::uint32_t Crc32 = 0;
    std::vector<std::uint32_t> TrackCrcs; // empty when the entry gives none
};

// The lookup's address under BaseUrl (which may end in a slash) for the
// table Toc: each track's start sector, a data track's with a "-" in front,
// then the lead-out, joined by ":" ("0:11413:25024:-45713:55220").
[[nodiscard]] std::string CtdbLookupUrl(const std::string& BaseUrl, const std::string& Toc);

// The entries of an answer: a <ctdb> element whose <entry> children carry
// the figures as the attributes confidence (decimal), crc32 and trackcrcs
// (hexadecimal, the tracks' apart by blanks). Raises std::runtime_error
// ("The CTDB answer could not be read: ...") for an answer that is no such
// XML or an entry whose figures are missing or not numbers: half an answer
// could call a track accurate that is not.
[[nodiscard]] std::vector<CtdbEntry> ParseCtdbAnswer(std::string_view Body);

// Empty when the database does not know the disc (it answers 404). Raises
// HttpError when it cannot be reached or answers with another status,
// std::runtime_error for an answer that cannot be read. Stop ends the
// request as HttpClient::Get says.
[[nodiscard]] std::vector<CtdbEntry> LookUpCtdb(HttpClient& Client, const std::string& BaseUrl,
                                                const std::string& Toc, std::stop_token Stop = {});

} // namespace kestrune::metadata
