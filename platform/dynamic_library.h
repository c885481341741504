#pragma once

#include <memory>
#include <string>

namespace kestrune::platform {

// A library loaded at run time by its bare file name through the system's
// ordinary search (for our executables that includes their RUNPATH).
// Unloaded when the object goes.
class DynamicLibrary {
public:
    // nullptr when the library cannot be loaded.
    static std::unique_ptr<DynamicLibrary> Load(const std::string& FileName);
    ~DynamicLibrary();

    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    DynamicLibrary(DynamicLibrary&&) = delete;
    DynamicLibrary& operator=(DynamicLibrary&&) = delete;

    // The address of an exported symbol, or nullptr when it is not exported.
    void* Symbol(const char* Name) const;

private:
    explicit DynamicLibrary(void* AHandle) : FHandle(AHandle) {}
    void* FHandle;
};

} // namespace kestrune::platform
