#include "metadata/curl_handles.h"

#include "metadata/http_client.h"

#include <new>

namespace kestrune::metadata::curl {

namespace {

// Made once, on the first request, and undone when the program ends.
class GlobalState {
public:
    GlobalState() : FCode(curl_global_init(CURL_GLOBAL_DEFAULT)) {}
    ~GlobalState() {
        if (FCode == CURLE_OK) {
            curl_global_cleanup();
        }
    }
    GlobalState(const GlobalState&) = delete;
    GlobalState& operator=(const GlobalState&) = delete;
    GlobalState(GlobalState&&) = delete;
    GlobalState& operator=(GlobalState&&) = delete;

    [[nodiscard]] CURLcode Code() const { return FCode; }

private:
    const CURLcode FCode;
};

void RequireGlobalState() {
    static const GlobalState state;
    if (state.Code() != CURLE_OK) {
        throw HttpError(HttpFailure::Transfer,
                        std::string("The HTTP library could not be set up: ") +
                            curl_easy_strerror(state.Code()) + ".");
    }
}

} // namespace

EasyHandle NewEasyHandle() {
    RequireGlobalState();
    EasyHandle handle(curl_easy_init());
    if (!handle) {
        throw std::bad_alloc();
    }
    return handle;
}

void Append(HeaderList& List, const std::string& Line) {
    curl_slist* const longer = curl_slist_append(List.get(), Line.c_str());
    if (longer == nullptr) {
        throw std::bad_alloc();
    }
    // The head stays the same once the list has one; only the first line makes it.
    if (longer != List.get()) {
        [[maybe_unused]] curl_slist* const empty = List.release();
        List.reset(longer);
    }
}

} // namespace kestrune::metadata::curl
