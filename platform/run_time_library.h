#pragma once

#include "platform/dynamic_library.h"

#include <array>
#include <cstddef>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune::platform {

// The position of Name in Names. Called in a constant expression, an unknown
// name does not compile; at run time it raises std::out_of_range.
template <std::size_t N>
constexpr std::size_t IndexOfName(const std::array<std::string_view, N>& Names,
                                  std::string_view Name) {
    for (std::size_t i = 0; i < N; ++i) {
        if (Names[i] == Name) {
            return i;
        }
    }
    throw std::out_of_range("no entry point of that name in the table");
}

// A library bound at run time: its file name, its table of entry points
// resolved by name in table order, and how many users hold it. The first user
// loads it, the last one unloads it. Single-threaded: the bindings load and
// release on the main thread.
class RunTimeLibrary {
public:
    RunTimeLibrary(std::string FileName, std::span<const std::string_view> Names);

    // Takes one use, loading the library and resolving its table when nobody
    // holds it. Raises LibraryLoadError with the loader's text when it cannot
    // be loaded; nothing is taken then.
    void Acquire();
    // Gives one use back; the last one unloads the library.
    void Release() noexcept;
    // Gives every use back and unloads the library.
    void ReleaseAll() noexcept;

    bool Loaded() const { return FUsers > 0; }
    int Users() const { return FUsers; }

    // The resolved entry point of table position Index; nullptr when the
    // library does not export it or is not loaded.
    void* Entry(std::size_t Index) const;
    template <class Fn> Fn* EntryAs(std::size_t Index) const {
        return reinterpret_cast<Fn*>(Entry(Index));
    }
    // An entry point outside the table; nullptr as above.
    void* Symbol(const char* Name) const;
    // The entry point of that name: from the table where the name is in it,
    // by symbol otherwise; nullptr as above.
    void* Address(std::string_view Name) const;

    const std::string& FileName() const { return FFileName; }
    // Takes effect at the next load.
    void SetFileName(std::string FileName) { FFileName = std::move(FileName); }

private:
    std::string FFileName;
    std::span<const std::string_view> FNames;
    std::unique_ptr<DynamicLibrary> FLibrary;
    std::vector<void*> FTable;
    int FUsers = 0;
};

} // namespace kestrune::platform
