#include "platform/entry_points.h"

namespace kestrune::platform {

std::string_view EntryPointTable::TakeFrom(const RunTimeLibrary& Library) {
    std::string_view missing;
    for (const Member& member : FMembers) {
        void* const address = Library.Address(member.Name);
        member.Set(member.Self, address);
        if (address == nullptr && member.Need == EntryNeed::Required && missing.empty()) {
            missing = member.Name;
        }
    }
    return missing;
}

void EntryPointTable::Clear() {
    for (const Member& member : FMembers) {
        member.Set(member.Self, nullptr);
    }
}

} // namespace kestrune::platform
