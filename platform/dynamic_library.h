#pragma once

#include <memory>
#include <stdexcept>
#include <string>

namespace kestrune::platform {

// A library that could not be loaded, or lacks an entry point it must have;
// the message is the loader's own account of it.
class LibraryLoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A library loaded at run time by its bare file name through the system's
// ordinary search (for our executables that includes their run path).
// Unloaded when the object goes.
class DynamicLibrary {
public:
    // Raises LibraryLoadError with the loader's text when it cannot be loaded.
    explicit DynamicLibrary(const std::string& FileName);
    ~DynamicLibrary();

    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    DynamicLibrary(DynamicLibrary&&) = delete;
    DynamicLibrary& operator=(DynamicLibrary&&) = delete;

    // The address of an exported symbol, or nullptr when it is not exported.
    void* Symbol(const char* Name) const;

private:
    void* FHandle;
};

} // namespace kestrune::platform
