#pragma once

#include "metadata/http_client.h"

#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune::metadata {

// The database of other users' checksums answers over plain HTTP only.
inline constexpr const char* DefaultAccurateRipUrl = "http://www.accuraterip.com";

// What the database files a disc under: its audio tracks' count and the two
// sums of their starts, with the FreeDB id.
struct AccurateRipDisc {
    std::int32_t Tracks = 0; // 1 to 99
    std::uint32_t Id1 = 0;
    std::uint32_t Id2 = 0;
    std::uint32_t FreeDb = 0;
};

// One submitted checksum of one track.
struct AccurateRipEntry {
    std::int32_t Confidence = 0; // how many rips gave it
    std::uint32_t Crc = 0;       // the track's v1 or v2 checksum
    std::uint32_t FrameCrc = 0;  // of one sector 450 sectors in, for finding a drive's offset
};

// One pressing's entries, one per audio track in disc order. An answer holds
// a pressing for each set of checksums the database keeps, v1 and v2 apart.
using AccurateRipPressing = std::vector<AccurateRipEntry>;

// The address of Disc's file under BaseUrl (which may end in a slash):
// /accuraterip/a/b/c/dBAR-NNN-id1-id2-freedb.bin, where a, b and c are the
// last three hexadecimal digits of id1, last first.
[[nodiscard]] std::string AccurateRipUrl(const std::string& BaseUrl, const AccurateRipDisc& Disc);

// The pressings of an answer: chunks of a 13-byte header (the track count,
// then id1, id2 and the FreeDB id, each 32 bits little-endian) and 9 bytes
// per track (the confidence, the checksum, the frame checksum). Raises
// std::runtime_error ("The AccurateRip answer could not be read: ...") for a
// truncated answer or a chunk of another disc.
[[nodiscard]] std::vector<AccurateRipPressing> ParseAccurateRipAnswer(std::string_view Body,
                                                                      const AccurateRipDisc& Disc);

// Empty when the database does not know the disc. Raises HttpError when it
// cannot be reached or answers with another status, std::runtime_error for an
// answer that cannot be read. Stop ends the request as HttpClient::Get says.
[[nodiscard]] std::vector<AccurateRipPressing> LookUpAccurateRip(HttpClient& Client,
                                                                 const std::string& BaseUrl,
                                                                 const AccurateRipDisc& Disc,
                                                                 std::stop_token Stop = {});

} // namespace kestrune::metadata
