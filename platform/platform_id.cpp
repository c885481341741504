#include "platform/platform_id.h"

namespace kestrune::platform {

int WindowsPlatformId() {
    constexpr int ntFamily = 2;
    return ntFamily;
}

} // namespace kestrune::platform
