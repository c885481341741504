#include "metadata/http_client.h"

#include "metadata/curl_handles.h"

#include <array>
#include <new>
#include <utility>

namespace kestrune::metadata {

namespace {

// The body as it arrives. Past the limit the transfer is aborted, so a huge
// answer is never held whole, whatever its headers said.
struct BodySink {
    std::string Body;
    std::size_t Limit = 0;
    bool Refused = false;
};

std::size_t ReceiveBody(char* Data, std::size_t Size, std::size_t Count, void* Sink) {
    auto& sink = *static_cast<BodySink*>(Sink);
    const std::size_t bytes = Size * Count;
    if (bytes > sink.Limit - sink.Body.size()) {
        sink.Refused = true;
        return 0; // anything but the count given aborts the transfer
    }
    // No exception may cross libcurl's C frames; a failed write aborts as well.
    try {
        sink.Body.append(Data, bytes);
    } catch (...) {
        return 0;
    }
    return bytes;
}

void Require(CURLcode Code) {
    if (Code != CURLE_OK) {
        throw HttpError(HttpFailure::Transfer,
                        std::string("The HTTP library refused a setting the requests need: ") +
                            curl_easy_strerror(Code) + ".");
    }
}

// Empty when the address has no such component.
std::string ComponentOf(const curl::UrlHandle& Url, CURLUPart Which) {
    char* text = nullptr;
    if (curl_url_get(Url.get(), Which, &text, 0) != CURLUE_OK) {
        return {};
    }
    const curl::Text owned(text);
    return owned.get();
}

// The pacing is kept per host; only http and https are asked.
std::string HostOf(const std::string& Url) {
    const curl::UrlHandle url(curl_url());
    if (!url) {
        throw std::bad_alloc();
    }
    if (curl_url_set(url.get(), CURLUPART_URL, Url.c_str(), 0) != CURLUE_OK) {
        throw HttpError(HttpFailure::BadAddress, "\"" + Url + "\" is not a web address.");
    }
    const std::string scheme = ComponentOf(url, CURLUPART_SCHEME);
    if (scheme != "http" && scheme != "https") {
        throw HttpError(HttpFailure::BadAddress,
                        "\"" + Url + "\" is not an http or https address.");
    }
    std::string host = ComponentOf(url, CURLUPART_HOST);
    if (host.empty()) {
        throw HttpError(HttpFailure::BadAddress, "\"" + Url + "\" names no host.");
    }
    return host;
}

HttpFailure ReasonOf(CURLcode Code) {
    switch (Code) {
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
        return HttpFailure::CouldNotConnect;
    case CURLE_OPERATION_TIMEDOUT:
        return HttpFailure::TimedOut;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
        return HttpFailure::BadAddress;
    default:
        return HttpFailure::Transfer;
    }
}

std::string SizeText(std::size_t Bytes) {
    constexpr std::size_t megabyte = std::size_t{1024} * 1024;
    if (Bytes % megabyte == 0) {
        return std::to_string(Bytes / megabyte) + " MB";
    }
    return std::to_string(Bytes) + " bytes";
}

// libcurl's texts end without a full stop, or with a line break.
std::string AsSentence(std::string Text) {
    while (!Text.empty() && (Text.back() == '\n' || Text.back() == ' ' || Text.back() == '.')) {
        Text.pop_back();
    }
    return Text + ".";
}

// One request's handle and everything libcurl writes into while it runs; it
// stays where it was made, since libcurl holds pointers to its members.
class Transfer {
public:
    Transfer(const std::string& AUrl, const std::string& UserAgent, const HttpOptions& Options,
             const std::vector<std::string>& Headers, std::stop_token AStop);
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;
    Transfer(Transfer&&) = delete;
    Transfer& operator=(Transfer&&) = delete;
    ~Transfer() = default;

    HttpResponse Run();

private:
    void SetLimits(const HttpOptions& Options);
    void WatchStop();
    [[nodiscard]] HttpError Failure(CURLcode Code) const;

    const std::string FUrl;
    const std::stop_token FStop;
    curl::EasyHandle FHandle;
    curl::HeaderList FHeaders;
    std::array<char, CURL_ERROR_SIZE> FErrors{};
    BodySink FSink;
};

Transfer::Transfer(const std::string& AUrl, const std::string& UserAgent,
                   const HttpOptions& Options, const std::vector<std::string>& Headers,
                   std::stop_token AStop)
    : FUrl(AUrl), FStop(std::move(AStop)), FHandle(curl::NewEasyHandle()) {
    for (const std::string& line : Headers) {
        curl::Append(FHeaders, line);
    }
    CURL* const handle = FHandle.get();
    Require(curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, FErrors.data()));
    Require(curl_easy_setopt(handle, CURLOPT_URL, FUrl.c_str()));
    Require(curl_easy_setopt(handle, CURLOPT_USERAGENT, UserAgent.c_str()));
    Require(curl_easy_setopt(handle, CURLOPT_HTTPHEADER, FHeaders.get()));
    Require(curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https"));
    Require(curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"));
    Require(curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L));
    Require(curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L));
    Require(curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L));
    Require(curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L));
    // Signals would be the only way libcurl could time out a name lookup, and
    // they cannot be used with several threads.
    Require(curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L));
    // Every encoding libcurl can undo: the limit counts the bytes undone.
    Require(curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, ""));
    Require(curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, ReceiveBody));
    Require(curl_easy_setopt(handle, CURLOPT_WRITEDATA, &FSink));
    SetLimits(Options);
    WatchStop();
}

// libcurl asks at least once a second while a transfer runs, also while it
// waits for the server; any answer but 0 aborts it.
int StopAsked(void* Stop, curl_off_t /*unused*/, curl_off_t /*unused*/, curl_off_t /*unused*/,
              curl_off_t /*unused*/) {
    return static_cast<const std::stop_token*>(Stop)->stop_requested() ? 1 : 0;
}

void Transfer::WatchStop() {
    if (!FStop.stop_possible()) {
        return;
    }
    CURL* const handle = FHandle.get();
    Require(curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, StopAsked));
    Require(curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &FStop));
    Require(curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L));
}

void Transfer::SetLimits(const HttpOptions& Options) {
    CURL* const handle = FHandle.get();
    Require(
        curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(Options.Timeout.count())));
    Require(curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                             static_cast<long>(Options.ConnectTimeout.count())));
    // Refuses an answer whose declared length is too large before its body
    // comes; the sink catches one that does not say.
    Require(curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE,
                             static_cast<curl_off_t>(Options.MaxBodySize)));
    FSink.Limit = Options.MaxBodySize;
}

HttpResponse Transfer::Run() {
    const CURLcode code = curl_easy_perform(FHandle.get());
    if (code != CURLE_OK) {
        throw Failure(code);
    }
    long status = 0;
    char* type = nullptr;
    Require(curl_easy_getinfo(FHandle.get(), CURLINFO_RESPONSE_CODE, &status));
    Require(curl_easy_getinfo(FHandle.get(), CURLINFO_CONTENT_TYPE, &type));
    return HttpResponse{static_cast<int>(status), std::move(FSink.Body),
                        type != nullptr ? type : ""};
}

HttpError Transfer::Failure(CURLcode Code) const {
    if (FSink.Refused || Code == CURLE_FILESIZE_EXCEEDED) {
        return {HttpFailure::TooLarge, "The answer from " + FUrl + " is larger than " +
                                           SizeText(FSink.Limit) + " and was refused."};
    }
    const std::string why = FErrors[0] != '\0' ? FErrors.data() : curl_easy_strerror(Code);
    return {ReasonOf(Code), "Could not get " + FUrl + ": " + AsSentence(why)};
}

} // namespace

HttpClient::HttpClient(std::string AUserAgent, HttpOptions AOptions)
    : FUserAgent(std::move(AUserAgent)), FOptions(AOptions),
      FPacer(FOptions.MinimumInterval, std::make_unique<SteadyPacingClock>()) {}

HttpResponse HttpClient::Get(const std::string& Url, const std::vector<std::string>& Headers,
                             std::stop_token Stop) {
    const std::string host = HostOf(Url);
    Transfer transfer(Url, FUserAgent, FOptions, Headers, std::move(Stop));
    FPacer.AwaitTurn(host);
    return transfer.Run();
}

} // namespace kestrune::metadata
