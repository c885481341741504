#include "cdin/discread_binding.h"

#include "platform/ini_file.h"
#include "platform/platform_id.h"
#include "platform/run_time_library.h"

#include <algorithm>
#include <iostream>
#include <string_view>

namespace kestrune {

namespace {

struct RipBinding {
    platform::RunTimeLibrary Library{"libdiscread.so", RipLibraryNames};
    TRipEntryPoints Calls;
    bool ToldNoSettings = false;
};

RipBinding& Binding() {
    static RipBinding binding;
    return binding;
}

// Writes the library's settings file in Directory; returns its full path, or
// an empty one when there is no folder for it.
std::string WriteRipSettings(RipBinding& B, const std::string& Directory) {
    if (Directory.empty()) {
        if (!B.ToldNoSettings) {
            B.ToldNoSettings = true;
            std::cerr << "kestrune: there is no settings folder (no home folder, or "
                         "XDG_CONFIG_HOME is no folder); the disc reading library keeps its "
                         "defaults\n";
        }
        return {};
    }
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
    return settings;
}

// Asks a text entry point for the length first, then for the text.
template <class Ask> std::string TakeText(Ask&& Text) {
    const std::int32_t length = Text(nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::string result(static_cast<std::size_t>(length) + 1, '\0');
    result.resize(static_cast<std::size_t>(
        std::min(Text(result.data(), static_cast<std::int32_t>(result.size())), length)));
    return result;
}

} // namespace

void LoadRipLibrary(const std::string& Directory) {
    RipBinding& b = Binding();
    try {
        b.Library.Acquire();
        if (const std::string_view missing = b.Calls.TakeFrom(b.Library); !missing.empty()) {
            // A library without every call we make is no use; never call a null entry.
            b.Library.Release();
            b.Calls.Clear();
            throw platform::LibraryLoadError(b.Library.FileName() + ": no entry point " +
                                             std::string(missing));
        }
    } catch (const platform::LibraryLoadError& e) {
        std::cerr << "kestrune: " << e.what() << '\n';
        return;
    }
    const std::string settings = WriteRipSettings(b, Directory);
    b.Calls.DR_Init(settings.c_str());
}

void UnloadRipLibrary() {
    RipBinding& b = Binding();
    if (!b.Library.Loaded()) {
        return;
    }
    b.Calls.DR_DeInit();
    b.Library.ReleaseAll();
    b.Calls.Clear();
}

bool RipLibraryLoaded() {
    return Binding().Library.Loaded();
}

int RipLibraryLoads() {
    return Binding().Library.Users();
}

void* RipLibraryEntry(std::size_t Index) {
    return Binding().Library.Entry(Index);
}

const TRipEntryPoints& RipLibrary() {
    return Binding().Calls;
}

TTocEntry ReadTocEntry(std::int32_t Index) {
    return Binding().Calls.DR_GetTocEntry(Index);
}

std::string RipLibraryErrorText() {
    const auto& text = Binding().Calls.DR_GetLastErrorText;
    if (!text) {
        return {};
    }
    return TakeText([&](char* Text, std::int32_t Bytes) { return text(Text, Bytes); });
}

std::string RipLibraryTrackText(std::int32_t Index, std::int32_t Field) {
    const auto& text = Binding().Calls.DR_GetTrackText;
    if (!text) {
        return {};
    }
    return TakeText(
        [&](char* Text, std::int32_t Bytes) { return text(Index, Field, Text, Bytes); });
}

std::int32_t RipLibraryTrackPregap(std::int32_t Index) {
    const auto& pregap = Binding().Calls.DR_GetTrackPregap;
    return pregap ? std::max<std::int32_t>(0, pregap(Index)) : 0;
}

bool RipLibrarySetSkipUnreadable(bool Skip) {
    const auto& set = Binding().Calls.DR_SetSkipUnreadable;
    return set && set(Skip ? 1 : 0) == 0;
}

std::vector<std::int32_t> RipLibraryUnreadable(std::size_t Known) {
    const auto& get = Binding().Calls.DR_GetUnreadable;
    if (!get) {
        return {};
    }
    const std::int32_t count = get(nullptr, 0);
    if (count <= 0 || static_cast<std::size_t>(count) <= Known) {
        return {};
    }
    std::vector<std::int32_t> sectors(static_cast<std::size_t>(count));
    sectors.resize(static_cast<std::size_t>(std::clamp(get(sectors.data(), count), 0, count)));
    return sectors;
}

std::string RipLibraryDriveName(std::int32_t Index) {
    const auto& name = Binding().Calls.DR_GetDriveName;
    if (!name) {
        return {};
    }
    return TakeText([&](char* Text, std::int32_t Bytes) { return name(Index, Text, Bytes); });
}

std::string RipLibraryDriveModel(std::int32_t Index) {
    const auto& model = Binding().Calls.DR_GetDriveModel;
    if (!model) {
        return {};
    }
    return TakeText([&](char* Text, std::int32_t Bytes) { return model(Index, Text, Bytes); });
}

void SetRipLibraryFileName(std::string FileName) {
    Binding().Library.SetFileName(std::move(FileName));
}

} // namespace kestrune
