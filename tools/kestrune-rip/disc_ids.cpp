#include "tools/kestrune-rip/disc_ids.h"

#include "cdin/disc_types.h"

#include <discid/discid.h>
#include <openssl/evp.h>

#include <array>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

namespace kestrune::rip {

namespace {

// Disc ids count sectors from the start of the disc's lead-in: two seconds
// before the first sector a table names.
constexpr std::int32_t LeadInSectors = 150;

struct FreeDiscId {
    void operator()(DiscId* Disc) const { discid_free(Disc); }
};

// The tracks an id is made of: all but the data tracks after the last audio
// track, and where that audio ends.
struct AudioSession {
    std::vector<DiscTrack> Tracks;
    std::int32_t LeadOut = 0;
};

AudioSession AudioSessionOf(const std::vector<DiscTrack>& Tracks) {
    std::size_t end = Tracks.size();
    while (end > 0 && !IsAudioFlag(Tracks[end - 1].Flag)) {
        --end;
    }
    if (end == 0) {
        throw std::runtime_error("the disc has no audio tracks");
    }
    AudioSession session;
    session.Tracks.assign(Tracks.begin(), Tracks.begin() + static_cast<std::ptrdiff_t>(end));
    const DiscTrack& lastAudio = Tracks[end - 1];
    session.LeadOut = lastAudio.Start + lastAudio.Sectors;
    // A pressed disc leaves the gap; an image's sheet often has no sessions
    // and puts the data right after the audio, which then ends there.
    if (end < Tracks.size() && Tracks[end].Start - SessionGapSectors > lastAudio.Start) {
        session.LeadOut = Tracks[end].Start - SessionGapSectors;
    }
    return session;
}

} // namespace

std::int32_t AudioLeadOut(const std::vector<DiscTrack>& Tracks) {
    return AudioSessionOf(Tracks).LeadOut;
}

std::string CtdbToc(const std::vector<DiscTrack>& Tracks) {
    if (Tracks.empty()) {
        throw std::runtime_error("the disc has no tracks");
    }
    std::string toc;
    for (const DiscTrack& track : Tracks) {
        toc += (IsAudioFlag(track.Flag) ? "" : "-") + std::to_string(track.Start) + ":";
    }
    return toc + std::to_string(Tracks.back().Start + Tracks.back().Sectors);
}

namespace {

void PutMusicBrainzIds(const AudioSession& Session, DiscIds& Ids) {
    const std::unique_ptr<DiscId, FreeDiscId> disc(discid_new());
    if (!disc) {
        throw std::bad_alloc();
    }
    std::array<int, 100> offsets{};
    const int first = Session.Tracks.front().Number;
    const int last = Session.Tracks.back().Number;
    if (first < 1 || last >= static_cast<int>(offsets.size()) ||
        last - first + 1 != static_cast<int>(Session.Tracks.size())) {
        throw std::runtime_error("the disc's track numbers give no disc id");
    }
    // Indexed by the track's number; the lead-out in the place of track 0.
    offsets[0] = Session.LeadOut + LeadInSectors;
    for (const DiscTrack& track : Session.Tracks) {
        offsets[static_cast<std::size_t>(track.Number)] = track.Start + LeadInSectors;
    }
    if (discid_put(disc.get(), first, last, offsets.data()) == 0) {
        throw std::runtime_error("the disc's table of contents gives no disc id: " +
                                 std::string(discid_get_error_msg(disc.get())));
    }
    Ids.MusicBrainz = discid_get_id(disc.get());
}

// The published formula: the digit sums of the tracks' start seconds, the
// playing time in whole seconds from the first track, the track count. (The
// C library's own measures the time from track 1's place and counts to the
// last number, which differs for a disc that starts at a later track.)
void PutFreeDbId(const AudioSession& Session, DiscIds& Ids) {
    const auto seconds = [](std::int32_t Sector) { return (Sector + LeadInSectors) / 75; };
    std::uint32_t digits = 0;
    for (const DiscTrack& track : Session.Tracks) {
        for (std::int32_t n = seconds(track.Start); n > 0; n /= 10) {
            digits += static_cast<std::uint32_t>(n % 10);
        }
    }
    const auto length = static_cast<std::uint32_t>(seconds(Session.LeadOut) -
                                                   seconds(Session.Tracks.front().Start));
    const std::uint32_t id =
        (digits % 255) << 24 | length << 8 | static_cast<std::uint32_t>(Session.Tracks.size());
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "%08x", static_cast<unsigned>(id));
    Ids.FreeDb = text.data();
}

// Audio tracks only, numbered from 1, their starts as the table gives them; a
// start of 0 counts as 1 in the second sum so that it still weighs. The
// lead-out is the disc's own, also after a data session.
void PutAccurateRipIds(const std::vector<DiscTrack>& Tracks, DiscIds& Ids) {
    std::uint32_t sum = 0;
    std::uint32_t weighted = 0;
    std::uint32_t number = 0;
    for (const DiscTrack& track : Tracks) {
        if (!IsAudioFlag(track.Flag)) {
            continue;
        }
        ++number;
        const auto start = static_cast<std::uint32_t>(track.Start);
        sum += start;
        weighted += (start == 0 ? 1U : start) * number;
    }
    const auto leadOut = static_cast<std::uint32_t>(Tracks.back().Start + Tracks.back().Sectors);
    Ids.AccurateRip1 = sum + leadOut;
    Ids.AccurateRip2 = weighted + leadOut * (number + 1);
    Ids.AudioTracks = static_cast<std::int32_t>(number);
}

// The CUETools database's TOC id: the SHA-1 of the audio tracks' starts after
// the first and the audio's lead-out, each as eight upper-case hexadecimal
// digits counted from the first track's start, padded with zeros to 100
// entries, in MusicBrainz's Base64 alphabet.
void PutCueToolsId(const AudioSession& Session, DiscIds& Ids) {
    std::vector<std::int32_t> starts;
    for (const DiscTrack& track : Session.Tracks) {
        if (IsAudioFlag(track.Flag)) {
            starts.push_back(track.Start);
        }
    }
    starts.push_back(Session.LeadOut);
    constexpr std::size_t entries = 100;
    std::string text;
    for (std::size_t i = 1; i < starts.size(); ++i) {
        std::array<char, 16> entry{};
        std::snprintf(entry.data(), entry.size(), "%08X",
                      static_cast<unsigned>(starts[i] - starts.front()));
        text += entry.data();
    }
    text.append((entries - (starts.size() - 1)) * 8, '0');
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int size = 0;
    if (EVP_Digest(text.data(), text.size(), digest.data(), &size, EVP_sha1(), nullptr) != 1) {
        throw std::runtime_error("the CTDB TOC id cannot be computed: SHA-1 failed");
    }
    std::array<unsigned char, 64> encoded{};
    const int length = EVP_EncodeBlock(encoded.data(), digest.data(), static_cast<int>(size));
    std::string id(encoded.begin(), encoded.begin() + length);
    for (char& c : id) {
        c = c == '+' ? '.' : c == '/' ? '_' : c == '=' ? '-' : c;
    }
    Ids.CueToolsDb = id;
}

} // namespace

DiscIds ComputeDiscIds(const std::vector<DiscTrack>& Tracks) {
    DiscIds ids;
    const AudioSession session = AudioSessionOf(Tracks);
    PutMusicBrainzIds(session, ids);
    PutFreeDbId(session, ids);
    PutCueToolsId(session, ids);
    PutAccurateRipIds(Tracks, ids);
    return ids;
}

std::string FormatDiscIds(const DiscIds& Ids) {
    std::array<char, 200> text{};
    std::snprintf(text.data(), text.size(),
                  "MusicBrainz disc id: %s\nFreeDB id: %s\nAccurateRip ids: %03d-%08x-%08x-%s\n"
                  "CTDB TOC id: %s\n",
                  Ids.MusicBrainz.c_str(), Ids.FreeDb.c_str(), static_cast<int>(Ids.AudioTracks),
                  static_cast<unsigned>(Ids.AccurateRip1), static_cast<unsigned>(Ids.AccurateRip2),
                  Ids.FreeDb.c_str(), Ids.CueToolsDb.c_str());
    return text.data();
}

} // namespace kestrune::rip
