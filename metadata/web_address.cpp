#include "metadata/web_address.h"

namespace kestrune::metadata {

std::string WithoutTrailingSlash(std::string BaseUrl) {
    while (!BaseUrl.empty() && BaseUrl.back() == '/') {
        BaseUrl.pop_back();
    }
    return BaseUrl;
}

} // namespace kestrune::metadata
