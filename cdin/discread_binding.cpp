#include "cdin/discread_binding.h"

#include "platform/dynamic_library.h"
#include "platform/ini_file.h"
#include "platform/platform_id.h"

#include <algorithm>
#include <memory>

namespace kestrune {

const std::array<const char*, 42> RipLibraryNames{
    "DR_Init",
    "DR_DeInit",
    "DR_GetDiscReadVersion",
    "DR_GetNumCDROM",
    "DR_GetActiveCDROM",
    "DR_SetActiveCDROM",
    "DR_SelectCDROMType",
    "DR_GetCDROMType",
    "DR_GetCDROMParameters",
    "DR_SetCDROMParameters",
    "DR_OpenRipper",
    "DR_CloseRipper",
    "DR_GetPercentCompleted",
    "DR_GetPeakValue",
    "DR_GetNumberOfJitterErrors",
    "DR_GetJitterPosition",
    "DR_RipChunk",
    "DR_LoadSettings",
    "DR_SaveSettings",
    "DR_NormalizeChunk",
    "DR_ReadToc",
    "DR_ReadCDText",
    "DR_GetNumTocEntries",
    "DR_GetTocEntry",
    "DR_IsUnitReady",
    "DR_IsMediaLoaded",
    "DR_EjectCD",
    "DR_IsAudioPlaying",
    "DR_PlayTrack",
    "DR_StopPlayTrack",
    "DR_PauseCD",
    "DR_GetCDStatusInfo",
    "DR_LockCD",
    "DR_GetSubChannelTrackInfo",
    "DR_GetPlayPosition",
    "DR_SetPlayPosition",
    "DR_PlaySection",
    "DR_GetLastJitterErrorPosition",
    "DR_GetCurrentRipSector",
    "DR_SetTransportLayer",
    "DR_GetTransportLayer",
    "DR_ScanForC2Errors",
};

namespace {

struct RipBinding {
    std::string FileName = "libdiscread.so";
    std::unique_ptr<platform::DynamicLibrary> Library;
    bool Loaded = false;
    std::array<void*, 42> Table{};
    TRipEntryPoints Calls;
};

RipBinding& Binding() {
    static RipBinding binding;
    return binding;
}

std::size_t IndexOf(std::string_view Name) {
    for (std::size_t i = 0; i < RipLibraryNames.size(); ++i) {
        if (Name == RipLibraryNames[i]) {
            return i;
        }
    }
    return RipLibraryNames.size();
}

template <class Fn> bool Take(const RipBinding& B, const char* Name, Fn*& Slot) {
    Slot = reinterpret_cast<Fn*>(B.Table[IndexOf(Name)]);
    return Slot != nullptr;
}

// Fills the typed calls; false when one of them is missing.
bool TakeCalls(RipBinding& B) {
    TRipEntryPoints& c = B.Calls;
    return Take(B, "DR_Init", c.DR_Init) & Take(B, "DR_DeInit", c.DR_DeInit) &
           Take(B, "DR_GetNumCDROM", c.DR_GetNumCDROM) &
           Take(B, "DR_SetActiveCDROM", c.DR_SetActiveCDROM) &
           Take(B, "DR_IsMediaLoaded", c.DR_IsMediaLoaded) &
           Take(B, "DR_IsAudioPlaying", c.DR_IsAudioPlaying) & Take(B, "DR_ReadToc", c.DR_ReadToc) &
           Take(B, "DR_GetNumTocEntries", c.DR_GetNumTocEntries) &
           Take(B, "DR_GetTocEntry", c.DR_GetTocEntry) & Take(B, "DR_OpenRipper", c.DR_OpenRipper) &
           Take(B, "DR_RipChunk", c.DR_RipChunk) & Take(B, "DR_CloseRipper", c.DR_CloseRipper);
}

} // namespace

void LoadRipLibrary(const std::string& Directory) {
    RipBinding& b = Binding();
    std::unique_ptr<platform::DynamicLibrary> library = platform::DynamicLibrary::Load(b.FileName);
    if (!library) {
        return;
    }
    // Loading again replaces the earlier handle, so the library is held once
    // however many sources were constructed.
    b.Library = std::move(library);
    b.Loaded = true;
    for (std::size_t i = 0; i < RipLibraryNames.size(); ++i) {
        b.Table[i] = b.Library->Symbol(RipLibraryNames[i]);
    }
    if (!TakeCalls(b)) {
        // A library without every call we make is no use; never call a null entry.
        b.Library.reset();
        b.Loaded = false;
        b.Table.fill(nullptr);
        b.Calls = {};
        return;
    }
    b.Calls.DR_ReadsFile =
        reinterpret_cast<decltype(b.Calls.DR_ReadsFile)>(b.Library->Symbol("DR_ReadsFile"));
    b.Calls.DR_GetLastErrorText = reinterpret_cast<decltype(b.Calls.DR_GetLastErrorText)>(
        b.Library->Symbol("DR_GetLastErrorText"));
    b.Calls.DR_GetTrackText =
        reinterpret_cast<decltype(b.Calls.DR_GetTrackText)>(b.Library->Symbol("DR_GetTrackText"));
    const std::string settings = Directory + "discread.ini";
    platform::WriteIniString(settings, "CD-ROM", "nActive", "0");
    switch (platform::WindowsPlatformId()) {
    case 1:
        platform::WriteIniString(settings, "CD-ROM", "nTransportLayer", "0");
        break;
    case 2:
        platform::WriteIniString(settings, "CD-ROM", "nTransportLayer", "1");
        break;
    default:
        break;
    }
    b.Calls.DR_Init(settings.c_str());
}

void UnloadRipLibrary() {
    RipBinding& b = Binding();
    if (!b.Library) {
        return;
    }
    if (b.Loaded) {
        b.Calls.DR_DeInit();
    }
    b.Library.reset();
    b.Loaded = false;
    b.Table.fill(nullptr);
    b.Calls = {};
}

bool RipLibraryLoaded() {
    return Binding().Loaded;
}

void* RipLibraryEntry(std::size_t Index) {
    return Binding().Table.at(Index);
}

const TRipEntryPoints& RipLibrary() {
    return Binding().Calls;
}

TTocEntry ReadTocEntry(std::int32_t Index) {
    return Binding().Calls.DR_GetTocEntry(Index);
}

std::string RipLibraryErrorText() {
    const auto text = Binding().Calls.DR_GetLastErrorText;
    if (text == nullptr) {
        return {};
    }
    const std::int32_t length = text(nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::string result(static_cast<std::size_t>(length) + 1, '\0');
    result.resize(static_cast<std::size_t>(
        std::min(text(result.data(), static_cast<std::int32_t>(result.size())), length)));
    return result;
}

std::string RipLibraryTrackText(std::int32_t Index, std::int32_t Field) {
    const auto text = Binding().Calls.DR_GetTrackText;
    if (text == nullptr) {
        return {};
    }
    const std::int32_t length = text(Index, Field, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::string result(static_cast<std::size_t>(length) + 1, '\0');
    result.resize(static_cast<std::size_t>(std::min(
        text(Index, Field, result.data(), static_cast<std::int32_t>(result.size())), length)));
    return result;
}

void SetRipLibraryFileName(std::string FileName) {
    Binding().FileName = std::move(FileName);
}

} // namespace kestrune
