#pragma once

#include <array>
#include <string_view>

namespace kestrune {

// Every name the reading library binding resolves, in the order it resolves them.
inline constexpr std::array<std::string_view, 42> RipLibraryNames{
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

} // namespace kestrune
