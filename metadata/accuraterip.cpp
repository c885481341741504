#include "metadata/accuraterip.h"

#include "metadata/web_address.h"

#include <array>
#include <cstdio>
#include <stdexcept>
#include <utility>

namespace kestrune::metadata {

namespace {

constexpr std::size_t HeaderBytes = 13;
constexpr std::size_t EntryBytes = 9;

std::uint32_t Word(std::string_view Bytes, std::size_t At) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) {
        value = value << 8 | static_cast<unsigned char>(Bytes[At + i]);
    }
    return value;
}

std::runtime_error Unreadable(const std::string& Why) {
    return std::runtime_error("The AccurateRip answer could not be read: " + Why + ".");
}

void CheckDisc(const AccurateRipDisc& Disc) {
    if (Disc.Tracks < 1 || Disc.Tracks > 99) {
        throw std::invalid_argument("AccurateRip knows discs of 1 to 99 audio tracks, not " +
                                    std::to_string(Disc.Tracks) + ".");
    }
}

} // namespace

std::string AccurateRipUrl(const std::string& BaseUrl, const AccurateRipDisc& Disc) {
    CheckDisc(Disc);
    std::array<char, 96> path{};
    const auto id1 = static_cast<unsigned>(Disc.Id1);
    std::snprintf(path.data(), path.size(), "/accuraterip/%x/%x/%x/dBAR-%03d-%08x-%08x-%08x.bin",
                  id1 & 0xFU, id1 >> 4 & 0xFU, id1 >> 8 & 0xFU, static_cast<int>(Disc.Tracks), id1,
                  static_cast<unsigned>(Disc.Id2), static_cast<unsigned>(Disc.FreeDb));
    return WithoutTrailingSlash(BaseUrl) + path.data();
}

std::vector<AccurateRipPressing> ParseAccurateRipAnswer(std::string_view Body,
                                                        const AccurateRipDisc& Disc) {
    CheckDisc(Disc);
    const std::size_t chunkBytes = HeaderBytes + EntryBytes * static_cast<std::size_t>(Disc.Tracks);
    if (Body.empty()) {
        throw Unreadable("it is empty");
    }
    std::vector<AccurateRipPressing> pressings;
    for (std::size_t at = 0; at < Body.size(); at += chunkBytes) {
        if (Body.size() - at < chunkBytes) {
            throw Unreadable("it ends inside a chunk, " + std::to_string(Body.size() - at) +
                             " bytes of " + std::to_string(chunkBytes));
        }
        if (static_cast<unsigned char>(Body[at]) != Disc.Tracks || Word(Body, at + 1) != Disc.Id1 ||
            Word(Body, at + 5) != Disc.Id2 || Word(Body, at + 9) != Disc.FreeDb) {
            throw Unreadable("chunk " + std::to_string(pressings.size() + 1) +
                             " is of another disc");
        }
        AccurateRipPressing& pressing = pressings.emplace_back();
        for (std::size_t entry = at + HeaderBytes; entry < at + chunkBytes; entry += EntryBytes) {
            pressing.push_back({static_cast<unsigned char>(Body[entry]), Word(Body, entry + 1),
                                Word(Body, entry + 5)});
        }
    }
    return pressings;
}

std::vector<AccurateRipPressing> LookUpAccurateRip(HttpClient& Client, const std::string& BaseUrl,
                                                   const AccurateRipDisc& Disc,
                                                   std::stop_token Stop) {
    const std::string url = AccurateRipUrl(BaseUrl, Disc);
    const HttpResponse answer = Client.Get(url, {}, std::move(Stop));
    if (answer.Status == 404) {
        return {};
    }
    if (answer.Status != 200) {
        throw HttpError(HttpFailure::UnexpectedStatus,
                        "AccurateRip could not look up the disc: it answered " + url +
                            " with status " + std::to_string(answer.Status) + ".");
    }
    return ParseAccurateRipAnswer(answer.Body, Disc);
}

} // namespace kestrune::metadata
