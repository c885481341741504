#include "metadata/ctdb.h"

#include "metadata/web_address.h"

#include <expat.h>

#include <charconv>
#include <climits>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

namespace kestrune::metadata {

namespace {

std::runtime_error Unreadable(const std::string& Why) {
    return std::runtime_error("The CTDB answer could not be read: " + Why + ".");
}

struct FreeParser {
    void operator()(XML_ParserStruct* Parser) const { XML_ParserFree(Parser); }
};

// Names arrive as "namespace name" (the parser splits at a blank), so an
// answer is read alike with or without the service's namespace.
std::string_view LocalName(const XML_Char* Name) {
    const std::string_view name(Name);
    const std::size_t blank = name.rfind(' ');
    return blank == std::string_view::npos ? name : name.substr(blank + 1);
}

template <typename T> std::optional<T> Number(std::string_view Text, int Base) {
    T value{};
    const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), value, Base);
    if (error != std::errc() || end != Text.data() + Text.size() || Text.empty()) {
        return std::nullopt;
    }
    return value;
}

// What the handlers learn, kept until the parse ends; the first fault stops it.
struct Reading {
    XML_Parser Parser = nullptr;
    int Depth = 0;
    bool SawRoot = false;
    std::vector<CtdbEntry> Entries;
    std::string Fault;

    void Fail(std::string Why) {
        if (Fault.empty()) {
            Fault = std::move(Why);
            XML_StopParser(Parser, XML_FALSE);
        }
    }
};

std::optional<std::string_view> Attribute(const XML_Char** Attributes, std::string_view Name) {
    for (std::size_t i = 0; Attributes[i] != nullptr; i += 2) {
        if (LocalName(Attributes[i]) == Name) {
            return std::string_view(Attributes[i + 1]);
        }
    }
    return std::nullopt;
}

void ReadEntry(Reading& Read, const XML_Char** Attributes) {
    const std::string which = "entry " + std::to_string(Read.Entries.size() + 1);
    const std::optional<std::string_view> confidence = Attribute(Attributes, "confidence");
    const std::optional<std::string_view> crc = Attribute(Attributes, "crc32");
    const std::optional<std::int32_t> count =
        confidence ? Number<std::int32_t>(*confidence, 10) : std::nullopt;
    const std::optional<std::uint32_t> sum = crc ? Number<std::uint32_t>(*crc, 16) : std::nullopt;
    if (!count || *count < 0 || !sum) {
        Read.Fail(which + " has no confidence or CRC32 that is a number");
        return;
    }
    CtdbEntry& entry = Read.Entries.emplace_back(CtdbEntry{*count, *sum, {}});
    std::string_view tracks = Attribute(Attributes, "trackcrcs").value_or("");
    while (!tracks.empty()) {
        const std::size_t blank = tracks.find(' ');
        const std::string_view word = tracks.substr(0, blank);
        tracks = blank == std::string_view::npos ? std::string_view() : tracks.substr(blank + 1);
        if (word.empty()) {
            continue;
        }
        const std::optional<std::uint32_t> track = Number<std::uint32_t>(word, 16);
        if (!track) {
            Read.Fail(which + "'s track CRC32 \"" + std::string(word) + "\" is no number");
            return;
        }
        entry.TrackCrcs.push_back(*track);
    }
}

void XMLCALL Opened(void* Data, const XML_Char* Name, const XML_Char** Attributes) {
    Reading& read = *static_cast<Reading*>(Data);
    const std::string_view name = LocalName(Name);
    if (read.Depth == 0) {
        if (name != "ctdb") {
            read.Fail("it is <" + std::string(name) + ">, not <ctdb>");
        }
        read.SawRoot = true;
    } else if (read.Depth == 1 && name == "entry") {
        ReadEntry(read, Attributes);
    }
    ++read.Depth;
}

void XMLCALL Closed(void* Data, const XML_Char* /*Name*/) {
    --static_cast<Reading*>(Data)->Depth;
}

} // namespace

std::string CtdbLookupUrl(const std::string& BaseUrl, const std::string& Toc) {
    // Checksums only: the service's album lookups are MusicBrainz's, asked apart.
    return WithoutTrailingSlash(BaseUrl) +
           "/lookup2.php?version=3&ctdb=1&fuzzy=1&metadata=none&toc=" + Toc;
}

std::vector<CtdbEntry> ParseCtdbAnswer(std::string_view Body) {
    const std::unique_ptr<XML_ParserStruct, FreeParser> parser(XML_ParserCreateNS(nullptr, ' '));
    if (!parser) {
        throw std::bad_alloc();
    }
    if (Body.size() > static_cast<std::size_t>(INT_MAX)) {
        throw Unreadable("it is too large");
    }
    Reading read;
    read.Parser = parser.get();
    XML_SetUserData(parser.get(), &read);
    XML_SetElementHandler(parser.get(), Opened, Closed);
    const XML_Status status =
        XML_Parse(parser.get(), Body.data(), static_cast<int>(Body.size()), XML_TRUE);
    if (!read.Fault.empty()) {
        throw Unreadable(read.Fault);
    }
    if (status != XML_STATUS_OK) {
        throw Unreadable(std::string("it is not XML (") +
                         XML_ErrorString(XML_GetErrorCode(parser.get())) + " at line " +
                         std::to_string(XML_GetCurrentLineNumber(parser.get())) + ")");
    }
    if (!read.SawRoot) {
        throw Unreadable("it is empty");
    }
    return std::move(read.Entries);
}

std::vector<CtdbEntry> LookUpCtdb(HttpClient& Client, const std::string& BaseUrl,
                                  const std::string& Toc, std::stop_token Stop) {
    const std::string url = CtdbLookupUrl(BaseUrl, Toc);
    const HttpResponse answer = Client.Get(url, {}, std::move(Stop));
    if (answer.Status == 404) {
        return {};
    }
    if (answer.Status != 200) {
        throw HttpError(HttpFailure::UnexpectedStatus,
                        "CTDB could not look up the disc: it answered " + url + " with status " +
                            std::to_string(answer.Status) + ".");
    }
    return ParseCtdbAnswer(answer.Body);
}

} // namespace kestrune::metadata
