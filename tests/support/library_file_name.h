#pragma once

#include <string>
#include <utility>

namespace kestrune::test {

// Points a binding's loader at another library file for the life of the
// object, and back at Default afterwards. SetFileName is the binding's hook.
template <void (*SetFileName)(std::string)> class LibraryFileName {
public:
    LibraryFileName(std::string Name, std::string Default) : FDefault(std::move(Default)) {
        SetFileName(std::move(Name));
    }
    ~LibraryFileName() { SetFileName(FDefault); }
    LibraryFileName(const LibraryFileName&) = delete;
    LibraryFileName& operator=(const LibraryFileName&) = delete;
    LibraryFileName(LibraryFileName&&) = delete;
    LibraryFileName& operator=(LibraryFileName&&) = delete;

private:
    std::string FDefault;
};

} // namespace kestrune::test
