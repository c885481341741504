#include "platform/run_time_library.h"

#include <algorithm>

namespace kestrune::platform {

RunTimeLibrary::RunTimeLibrary(std::string FileName, std::span<const std::string_view> Names)
    : FFileName(std::move(FileName)), FNames(Names), FTable(Names.size(), nullptr) {}

void RunTimeLibrary::Acquire() {
    if (FUsers > 0) {
        ++FUsers;
        return;
    }
    FLibrary = std::make_unique<DynamicLibrary>(FFileName);
    for (std::size_t i = 0; i < FNames.size(); ++i) {
        FTable[i] = FLibrary->Symbol(std::string(FNames[i]).c_str());
    }
    FUsers = 1;
}

void* RunTimeLibrary::Address(std::string_view Name) const {
    const auto found = std::find(FNames.begin(), FNames.end(), Name);
    if (found != FNames.end()) {
        return Entry(static_cast<std::size_t>(found - FNames.begin()));
    }
    return Symbol(std::string(Name).c_str());
}

void RunTimeLibrary::Release() noexcept {
    if (FUsers == 0) {
        return;
    }
    if (--FUsers == 0) {
        ReleaseAll();
    }
}

void RunTimeLibrary::ReleaseAll() noexcept {
    FUsers = 0;
    FLibrary.reset();
    std::fill(FTable.begin(), FTable.end(), nullptr);
}

void* RunTimeLibrary::Entry(std::size_t Index) const {
    return Index < FTable.size() ? FTable[Index] : nullptr;
}

void* RunTimeLibrary::Symbol(const char* Name) const {
    return FLibrary ? FLibrary->Symbol(Name) : nullptr;
}

} // namespace kestrune::platform
