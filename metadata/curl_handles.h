#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

// Owners of libcurl's handles, for the client's sources only: the library's
// users never see libcurl.
namespace kestrune::metadata::curl {

struct EasyCleanup {
    void operator()(CURL* Handle) const { curl_easy_cleanup(Handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;

struct ListCleanup {
    void operator()(curl_slist* List) const { curl_slist_free_all(List); }
};
using HeaderList = std::unique_ptr<curl_slist, ListCleanup>;

struct UrlCleanup {
    void operator()(CURLU* Url) const { curl_url_cleanup(Url); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlCleanup>;

struct TextCleanup {
    void operator()(char* Text) const { curl_free(Text); }
};
using Text = std::unique_ptr<char, TextCleanup>;

// A new easy handle; libcurl's process-wide state is set up before the first.
EasyHandle NewEasyHandle();
// Adds a header line; the list stays whole when there is no memory for it.
void Append(HeaderList& List, const std::string& Line);

} // namespace kestrune::metadata::curl
