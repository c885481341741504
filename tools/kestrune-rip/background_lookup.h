#pragma once

#include <cstdio>
#include <future>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <utility>

namespace kestrune::rip {

// An online service's answer, asked on a thread of its own from the moment
// the lookup is made, so the rip never waits for the network: only what
// needs the answer does, for at most the request's timeout. Going, it ends a
// request under way. TAnswer has a Warning: why the asking failed, a
// sentence for the user, empty when it did not.
template <typename TAnswer> class BackgroundLookup {
public:
    // Asks nobody: the answer is Ready.
    explicit BackgroundLookup(TAnswer Ready) : FAnswer(std::move(Ready)) {}

    // Ask(std::stop_token) gives the answer, on the lookup's thread; a
    // failure's warning is said with Sequel after it ("The tracks are not
    // verified.").
    template <typename TAsk>
    BackgroundLookup(TAsk Ask, std::string Sequel) : FSequel(std::move(Sequel)) {
        std::promise<TAnswer> promise;
        FPending = promise.get_future();
        FAsker = std::jthread([ask = std::move(Ask),
                               promise = std::move(promise)](const std::stop_token& Stop) mutable {
            promise.set_value(ask(Stop));
        });
    }

    ~BackgroundLookup() = default;
    BackgroundLookup(const BackgroundLookup&) = delete;
    BackgroundLookup& operator=(const BackgroundLookup&) = delete;
    BackgroundLookup(BackgroundLookup&&) = delete;
    BackgroundLookup& operator=(BackgroundLookup&&) = delete;

    // The answer, waiting for it; a failure's warning goes to Messages the
    // first time. One thread asks.
    const TAnswer& Answer(std::FILE* Messages) {
        if (!FAnswer) {
            FAnswer = FPending.get();
            if (!FAnswer->Warning.empty()) {
                std::fprintf(Messages, "kestrune-rip: warning: %s %s\n", FAnswer->Warning.c_str(),
                             FSequel.c_str());
            }
        }
        return *FAnswer;
    }

private:
    std::string FSequel;
    std::future<TAnswer> FPending;
    std::optional<TAnswer> FAnswer;
    std::jthread FAsker; // last: it goes first, while the rest still exists
};

} // namespace kestrune::rip
