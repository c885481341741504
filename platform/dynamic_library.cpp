#include "platform/dynamic_library.h"

#include <dlfcn.h>

namespace kestrune::platform {

DynamicLibrary::DynamicLibrary(const std::string& FileName)
    : FHandle(::dlopen(FileName.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (FHandle == nullptr) {
        const char* const reason = ::dlerror();
        throw LibraryLoadError(reason != nullptr ? reason : FileName + ": cannot be loaded");
    }
}

DynamicLibrary::~DynamicLibrary() {
    ::dlclose(FHandle);
}

void* DynamicLibrary::Symbol(const char* Name) const {
    return ::dlsym(FHandle, Name);
}

} // namespace kestrune::platform
