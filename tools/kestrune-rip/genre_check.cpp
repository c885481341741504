#include "tools/kestrune-rip/genre_check.h"

#include "mp3out/lame_binding.h"
#include "mp3out/mp3_out.h"
#include "tools/kestrune-rip/rip_options.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <vector>

namespace kestrune::rip {

namespace {

// ID3 version 1's "Other", what the encoder writes for a genre it does not know.
constexpr unsigned char OtherGenre = 12;
constexpr std::size_t Id3v1Bytes = 128;

bool NamesOther(std::string Genre) {
    std::transform(Genre.begin(), Genre.end(), Genre.begin(),
                   [](unsigned char C) { return static_cast<char>(std::tolower(C)); });
    return Genre == "other" || Genre == "12";
}

} // namespace

void CheckGenre(const std::string& Genre) {
    if (Genre.empty()) {
        return;
    }
    // The encoder says nothing when it does not know a genre: the genre byte of
    // the tag it writes for an empty stream tells.
    const TLameCalls& lame = Lame();
    const auto close = [&lame](lame_t Handle) { lame.lame_close(Handle); };
    const std::unique_ptr<std::remove_pointer_t<lame_t>, decltype(close)> handle(lame.lame_init(),
                                                                                 close);
    if (!handle || lame.lame_init_params(handle.get()) < 0) {
        throw std::runtime_error("The MP3 encoder could not be started.");
    }
    lame.id3tag_init(handle.get());
    const bool refused = lame.id3tag_set_genre(handle.get(), Genre.c_str()) != 0;
    std::vector<unsigned char> written(TMP3Out::OutputBufferBytes);
    const int bytes =
        lame.lame_encode_flush(handle.get(), written.data(), static_cast<int>(written.size()));
    if (bytes < static_cast<int>(Id3v1Bytes)) {
        throw std::runtime_error("The MP3 encoder failed to finish the file (error " +
                                 std::to_string(bytes) + ").");
    }
    const unsigned char genre = written[static_cast<std::size_t>(bytes) - 1];
    if (refused || (genre == OtherGenre && !NamesOther(Genre))) {
        throw UsageError("--genre '" + Genre +
                         "' is no genre the encoder knows (a name of the ID3 list or its number)");
    }
}

} // namespace kestrune::rip
