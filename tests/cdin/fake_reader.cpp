// A stand-in for the disc reading library: one drive with a disc of two audio
// tracks of 150 sectors each, counts of the calls a test asks about, and
// failures where a test sets them.

#include "discread.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace {

constexpr int32_t SectorBytes = 2352;
constexpr TTocEntry Toc[] = {
    {0, 0x10, 1, {0, 0}}, {150, 0x10, 2, {0, 0}}, {300, 0x10, 0xAA, {0, 0}}};
constexpr int32_t Tracks = 2;

struct FakeState {
    std::mutex Lock;
    std::map<std::string, int32_t> Settings;
    std::map<std::string, int32_t> Counts;
    bool TocRead = false;
    int32_t Next = 0;
    int32_t End = 0;
};

FakeState& State() {
    static FakeState state;
    return state;
}

int32_t Count(FakeState& S, const char* Name) {
    return ++S.Counts[Name];
}

int32_t Setting(FakeState& S, const char* Key) {
    const auto found = S.Settings.find(Key);
    return found == S.Settings.end() ? 0 : found->second;
}

} // namespace

extern "C" {

DISCREAD_API void FakeReaderSet(const char* Key, int32_t Value) {
    FakeState& s = State();
    const std::lock_guard lock(s.Lock);
    s.Settings[Key] = Value;
}

DISCREAD_API void FakeReaderReset() {
    FakeState& s = State();
    const std::lock_guard lock(s.Lock);
    s.Settings.clear();
    s.Counts.clear();
}

DISCREAD_API int32_t FakeReaderCount(const char* Name) {
    FakeState& s = State();
    const std::lock_guard lock(s.Lock);
    return s.Counts[Name];
}

int32_t DR_Init(const char*) {
    FakeState& s = State();
    const std::lock_guard lock(s.Lock);
    Count(s, "DR_Init");
    return DR_OK;
}

int32_t DR_DeInit(void) {
    FakeState& s = State();
    const std::lock_guard lock(s.Lock);
    Count(s, "DR_DeInit");
    return DR_OK;
}

int32_t DR_GetNumCDROM(void) {
    return 1;
}
int32_t DR_SetActiveCDROM(int32_t) {
    return DR_OK;
}

int32_t DR_IsMediaLoaded(int32_t* status) {
    *status = 0;
    return DR_OK;
}

int32_t DR_IsAudioPlaying(void) {
    return 0;
}

int32_t DR_ReadToc(void) {
    FakeState& s = State();
    const std::lock_guard lock(s.Lock);
    const int32_t call = Count(s, "DR_ReadToc");
    const int32_t failFrom = Setting(s, "fail_read_toc_from");
    s.TocRead = failFrom == 0 || call < failFrom;
    return s.TocRead ? DR_OK : DR_ERR_TOC;
}

int32_t DR_GetNumTocEntries(void) {
    FakeState& s = State();
    const std::lock_guard lock(s.Lock);
    return s.TocRead ? Tracks : 0;
}

TTocEntry DR_GetTocEntry(int32_t index) {
    FakeState& s = State();
    const std::lock_guard lock(s.Lock);
    if (!s.TocRead || index < 0 || index > Tracks) {
        return TTocEntry{0, 0, 0, {0, 0}};
    }
    return Toc[index];
}

int32_t DR_OpenRipper(int32_t* chunkBytes, int32_t first, int32_t end) {
    FakeState& s = State();
    const std::lock_guard lock(s.Lock);
    if (const int32_t error = Setting(s, "open_ripper_error"); error != 0) {
        return error;
    }
    *chunkBytes = *chunkBytes / SectorBytes * SectorBytes;
    s.Next = first;
    s.End = end;
    return DR_OK;
}

int32_t DR_RipChunk(uint8_t* buffer, int32_t* bytes, int32_t*) {
    FakeState& s = State();
    const std::lock_guard lock(s.Lock);
    const int32_t sectors = s.End - s.Next < 75 ? s.End - s.Next : 75;
    *bytes = sectors * SectorBytes;
    std::memset(buffer, 0, static_cast<std::size_t>(*bytes));
    s.Next += sectors;
    return DR_OK;
}

int32_t DR_CloseRipper(void) {
    return DR_OK;
}

} // extern "C"
