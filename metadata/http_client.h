#pragma once

#include "metadata/request_pacer.h"

#include <chrono>
#include <cstddef>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <vector>

namespace kestrune::metadata {

// Why a request failed, for callers that react to the kind: an offline
// machine is told apart from a server that answered something unusable.
enum class HttpFailure {
    BadAddress,      // not an address the client can ask
    CouldNotConnect, // no name resolution, no route, nobody listening
    TimedOut,
    TooLarge,        // the answer is over the client's limit
    Transfer,        // anything else on the way (TLS, redirects, a broken connection)
    UnexpectedStatus // the server answered with a status the caller cannot use
};

// Its text is a complete sentence for the user that names the address.
class HttpError : public std::runtime_error {
public:
    HttpError(HttpFailure AReason, const std::string& Message)
        : std::runtime_error(Message), FReason(AReason) {}

    HttpFailure Reason() const { return FReason; }

private:
    HttpFailure FReason;
};

struct HttpResponse {
    int Status = 0;
    std::string Body;
    std::string ContentType; // as the server sent it; empty when it sent none
};

struct HttpOptions {
    std::chrono::milliseconds Timeout{10'000}; // the whole request, redirects included
    std::chrono::milliseconds ConnectTimeout{5'000};
    std::size_t MaxBodySize = std::size_t{8} * 1024 * 1024;
    // Between two requests to one host; MusicBrainz asks for a second.
    std::chrono::milliseconds MinimumInterval{1'000};
};

// GET requests over HTTP and HTTPS with certificates verified, redirects
// followed (at most 5) and proxies taken from the environment as libcurl
// takes them. One client may be used from several threads.
class HttpClient {
public:
    // UserAgent names the program and how to reach its makers, as
    // MusicBrainz requires: "kestrune/1.0.0 ( https://... )".
    explicit HttpClient(std::string AUserAgent, HttpOptions AOptions = {});

    // Any status the server answers with is returned; only a request that got
    // no whole answer raises HttpError. Headers are extra request header
    // lines ("Accept: application/json"). A stop asked of Stop ends the
    // request within about a second (HttpFailure::Transfer), so a request on
    // a thread of its own never holds up a program that is done.
    [[nodiscard]] HttpResponse Get(const std::string& Url,
                                   const std::vector<std::string>& Headers = {},
                                   std::stop_token Stop = {});

private:
    const std::string FUserAgent;
    const HttpOptions FOptions;
    RequestPacer FPacer;
};

} // namespace kestrune::metadata
