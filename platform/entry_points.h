#pragma once

// The calls a binding makes into a library bound at run time, each declared
// once, as a member of the binding's table:
//
//     struct TCalls : platform::EntryPointTable {
//         platform::EntryPoint<int(const char*)> DR_Init{*this, "DR_Init"};
//     };
//
// The table knows its members, so one call takes all of them from a loaded
// library and one clears them; a member is called like the function it holds.

#include "platform/run_time_library.h"

#include <string_view>
#include <vector>

namespace kestrune::platform {

// Whether a library without the entry point is of any use to the binding.
enum class EntryNeed { Required, Optional };

class EntryPointTable {
public:
    EntryPointTable() = default;
    ~EntryPointTable() = default;
    // Its members are known by their addresses: a table stays where it is made.
    EntryPointTable(const EntryPointTable&) = delete;
    EntryPointTable& operator=(const EntryPointTable&) = delete;
    EntryPointTable(EntryPointTable&&) = delete;
    EntryPointTable& operator=(EntryPointTable&&) = delete;

    // Fills every member from Library (loaded): through the library's name table
    // where the name is in it, by symbol otherwise. Returns the name of the first
    // required member the library lacks, or an empty name.
    [[nodiscard]] std::string_view TakeFrom(const RunTimeLibrary& Library);
    // Empties every member.
    void Clear();

private:
    template <class Fn> friend class EntryPoint;
    struct Member {
        std::string_view Name;
        EntryNeed Need;
        void (*Set)(void* Self, void* Address);
        void* Self;
    };
    void Add(const Member& AMember) { FMembers.push_back(AMember); }

    std::vector<Member> FMembers;
};

template <class Fn> class EntryPoint;

template <class R, class... A> class EntryPoint<R(A...)> {
public:
    EntryPoint(EntryPointTable& Table, std::string_view Name,
               EntryNeed Need = EntryNeed::Required) {
        Table.Add({Name, Need, &EntryPoint::SetAddress, this});
    }
    EntryPoint(const EntryPoint&) = delete;
    EntryPoint& operator=(const EntryPoint&) = delete;
    EntryPoint(EntryPoint&&) = delete;
    EntryPoint& operator=(EntryPoint&&) = delete;
    ~EntryPoint() = default;

    R operator()(A... Arguments) const { return FCall(Arguments...); }
    // False while the library does not offer it (or is not loaded).
    explicit operator bool() const { return FCall != nullptr; }

private:
    using Call = R (*)(A...);
    static void SetAddress(void* Self, void* Address) {
        static_cast<EntryPoint*>(Self)->FCall = reinterpret_cast<Call>(Address);
    }

    Call FCall = nullptr;
};

} // namespace kestrune::platform
