#include "platform/file_descriptor.h"

#include <unistd.h>

namespace kestrune::platform {

FileDescriptor::~FileDescriptor() {
    if (FDescriptor >= 0) {
        ::close(FDescriptor);
    }
}

} // namespace kestrune::platform
