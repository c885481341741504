#include "platform/dynamic_library.h"

#include <dlfcn.h>

namespace kestrune::platform {

std::unique_ptr<DynamicLibrary> DynamicLibrary::Load(const std::string& FileName) {
    void* const handle = ::dlopen(FileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle));
}

DynamicLibrary::~DynamicLibrary() {
    ::dlclose(FHandle);
}

void* DynamicLibrary::Symbol(const char* Name) const {
    return ::dlsym(FHandle, Name);
}

} // namespace kestrune::platform
