// The C entry points. One state for the process, every call under one lock:
// a chunk taken on the worker thread and a query on the main thread take turns.
// An open ripper's reading ahead runs beside them on a thread of its own, on
// objects of its own; ending the ripper under the lock joins it.

#include "discread.h"

#include "disc.h"
#include "disc_image.h"
#include "drive_simulation.h"
#include "drives.h"
#include "image_files.h"
#include "last_error.h"
#include "open_ripper.h"
#include "settings.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <sys/stat.h>
#include <vector>

namespace discread {
namespace {

struct LibraryState {
    std::mutex Lock;
    bool Initialised = false;
    Settings Options;
    std::vector<Drive> Drives;
    int Active = 0;
    std::vector<TTocEntry> Toc;        // tracks, then the lead-out; empty when unread
    discread::DiscTexts Texts;         // of what was read with the table
    std::vector<std::int32_t> Pregaps; // likewise, a track's pregap in sectors
    // What the readings opened from now on do with a sector they cannot read,
    // and the read offset they correct.
    ReadChoices Choices;
    std::unique_ptr<Ripper> Reading;
};

LibraryState& State() {
    static LibraryState state;
    return state;
}

// libcdio reports on stderr by default, warnings about short pregaps included;
// the library's callers hear of failures through error codes instead.
void QuietLog(cdio_log_level_t Level, const char* Message) {
    if (std::getenv("DISCREAD_DEBUG") != nullptr || Level == CDIO_LOG_ASSERT) {
        std::fprintf(stderr, "discread: %s\n", Message);
    }
}

const Drive* ActiveDrive(const LibraryState& S) {
    if (!S.Initialised || S.Active < 0 || S.Active >= static_cast<int>(S.Drives.size())) {
        return nullptr;
    }
    return &S.Drives[static_cast<std::size_t>(S.Active)];
}

const char* CodeText(int32_t Code) {
    switch (Code) {
    case DR_ERR_NOT_INITIALISED:
        return "the disc reading library is not initialised";
    case DR_ERR_NO_DRIVE:
        return "there is no such drive";
    case DR_ERR_NO_DISC:
        return "there is no disc in the drive";
    case DR_ERR_TOC:
        return "the disc's table of contents cannot be read";
    case DR_ERR_READ:
        return "the disc cannot be read";
    case DR_ERR_ARGUMENT:
        return "an argument is out of range";
    case DR_ERR_NOT_OPEN:
        return "no reading is open";
    case DR_ERR_ABORTED:
        return "the reading was aborted";
    default:
        return "unknown error";
    }
}

// Runs one entry point: its text starts empty, a failure it raises becomes
// Failure with the failure's text, and a code without a text gets the code's.
template <class Call> int32_t Guarded(int32_t Failure, Call&& Body) {
    ClearLastError();
    int32_t result = Failure;
    try {
        result = Body();
    } catch (const std::bad_alloc&) {
        SetLastError("out of memory");
    } catch (const std::exception& e) {
        SetLastError(e.what());
    }
    if (result != DR_OK && LastError().empty()) {
        SetLastError(CodeText(result));
    }
    return result;
}

// Copies Value into text (bytes - 1 of it at most, zero-terminated; text may
// be NULL) and returns Value's full length: how the text entry points answer.
int32_t CopyText(const std::string& Value, char* text, int32_t bytes) {
    if (text != nullptr && bytes > 0) {
        const auto length =
            std::min<std::size_t>(Value.size(), static_cast<std::size_t>(bytes) - 1);
        std::memcpy(text, Value.data(), length);
        text[length] = '\0';
    }
    return static_cast<int32_t>(Value.size());
}

// An image names no drive, unless it stands for one in a simulation; a
// simulation the reader refuses names none either (the rip says why).
std::string SimulatedModel(const Settings& Options) {
    try {
        return Options.Simulation ? ParseDriveSimulation(*Options.Simulation).Model : std::string();
    } catch (const ImageError&) {
        return {};
    }
}

} // namespace
} // namespace discread

using discread::CopyText;
using discread::Guarded;
using discread::State;

extern "C" {

int32_t DR_GetDiscReadVersion(void) {
    return 0x0100;
}

int32_t DR_Init(const char* settingsPath) {
    return Guarded(DR_ERR_ARGUMENT, [&]() -> int32_t {
        auto& s = State();
        const std::lock_guard lock(s.Lock);
        cdio_log_set_handler(discread::QuietLog);
        s.Options = discread::ReadSettings(settingsPath != nullptr ? settingsPath : "");
        s.Reading.reset();
        s.Toc.clear();
        s.Drives = discread::FindDrives();
        s.Active = s.Options.Active >= 0 && s.Options.Active < static_cast<int>(s.Drives.size())
                       ? s.Options.Active
                       : 0;
        s.Initialised = true;
        return DR_OK;
    });
}

int32_t DR_DeInit(void) {
    discread::ClearLastError();
    auto& s = State();
    const std::lock_guard lock(s.Lock);
    s.Reading.reset();
    s.Toc.clear();
    s.Drives.clear();
    s.Initialised = false;
    return DR_OK;
}

int32_t DR_GetNumCDROM(void) {
    discread::ClearLastError();
    auto& s = State();
    const std::lock_guard lock(s.Lock);
    return s.Initialised ? static_cast<int32_t>(s.Drives.size()) : 0;
}

int32_t DR_SetActiveCDROM(int32_t index) {
    return Guarded(DR_ERR_ARGUMENT, [&]() -> int32_t {
        auto& s = State();
        const std::lock_guard lock(s.Lock);
        if (!s.Initialised) {
            return DR_ERR_NOT_INITIALISED;
        }
        if (index < 0 || index >= static_cast<int32_t>(s.Drives.size())) {
            return DR_ERR_ARGUMENT;
        }
        if (index != s.Active) {
            s.Active = index;
            s.Toc.clear();
            s.Reading.reset();
        }
        return DR_OK;
    });
}

int32_t DR_IsMediaLoaded(int32_t* status) {
    return Guarded(DR_ERR_NO_DRIVE, [&]() -> int32_t {
        auto& s = State();
        const std::lock_guard lock(s.Lock);
        const discread::Drive* const drive = discread::ActiveDrive(s);
        if (status == nullptr) {
            return DR_ERR_ARGUMENT;
        }
        if (drive == nullptr) {
            return s.Initialised ? DR_ERR_NO_DRIVE : DR_ERR_NOT_INITIALISED;
        }
        bool present = false;
        if (!discread::AskMediaPresent(*drive, present)) {
            return DR_ERR_NO_DRIVE;
        }
        *status = present ? 0 : 1;
        return DR_OK;
    });
}

int32_t DR_IsAudioPlaying(void) {
    discread::ClearLastError();
    auto& s = State();
    const std::lock_guard lock(s.Lock);
    const discread::Drive* const drive = discread::ActiveDrive(s);
    if (drive == nullptr || drive->Image) {
        return 0;
    }
    const auto disc = discread::Disc::Open(*drive);
    return disc && disc->AudioPlaying() ? 1 : 0;
}

int32_t DR_ReadToc(void) {
    return Guarded(DR_ERR_TOC, [&]() -> int32_t {
        auto& s = State();
        const std::lock_guard lock(s.Lock);
        s.Toc.clear();
        s.Pregaps.clear();
        const discread::Drive* const drive = discread::ActiveDrive(s);
        if (drive == nullptr) {
            return s.Initialised ? DR_ERR_NO_DRIVE : DR_ERR_NOT_INITIALISED;
        }
        const auto disc = discread::Disc::Open(*drive);
        if (!disc) {
            return DR_ERR_NO_DISC;
        }
        if (!disc->ReadToc(s.Toc)) {
            return DR_ERR_TOC;
        }
        s.Texts = disc->Texts();
        s.Pregaps = disc->Pregaps();
        s.Pregaps.resize(s.Toc.size() - 1);
        return DR_OK;
    });
}

int32_t DR_GetNumTocEntries(void) {
    discread::ClearLastError();
    auto& s = State();
    const std::lock_guard lock(s.Lock);
    return s.Toc.empty() ? 0 : static_cast<int32_t>(s.Toc.size() - 1);
}

TTocEntry DR_GetTocEntry(int32_t index) {
    discread::ClearLastError();
    auto& s = State();
    const std::lock_guard lock(s.Lock);
    if (index < 0 || index >= static_cast<int32_t>(s.Toc.size())) {
        return TTocEntry{0, 0, 0, {0, 0}};
    }
    return s.Toc[static_cast<std::size_t>(index)];
}

int32_t DR_OpenRipper(int32_t* chunkBytes, int32_t first, int32_t end) {
    return Guarded(DR_ERR_READ, [&]() -> int32_t {
        auto& s = State();
        const std::lock_guard lock(s.Lock);
        s.Reading.reset();
        const discread::Drive* const drive = discread::ActiveDrive(s);
        if (drive == nullptr) {
            return s.Initialised ? DR_ERR_NO_DRIVE : DR_ERR_NOT_INITIALISED;
        }
        if (chunkBytes == nullptr || *chunkBytes < CDIO_CD_FRAMESIZE_RAW || first < 0 ||
            end < first) {
            return DR_ERR_ARGUMENT;
        }
        const int32_t chunkSectors = *chunkBytes / CDIO_CD_FRAMESIZE_RAW;
        *chunkBytes = chunkSectors * CDIO_CD_FRAMESIZE_RAW;
        int32_t error = DR_OK;
        s.Reading =
            discread::OpenRipper(*drive, s.Options, first, end, chunkSectors, s.Choices, error);
        return s.Reading ? DR_OK : error;
    });
}

int32_t DR_RipChunk(uint8_t* buffer, int32_t* bytes, int32_t* abort) {
    return Guarded(DR_ERR_READ, [&]() -> int32_t {
        auto& s = State();
        const std::lock_guard lock(s.Lock);
        if (bytes == nullptr || buffer == nullptr) {
            return DR_ERR_ARGUMENT;
        }
        *bytes = 0;
        if (!s.Reading) {
            return DR_ERR_NOT_OPEN;
        }
        if (abort != nullptr && *abort != 0) {
            s.Reading.reset();
            return DR_ERR_ABORTED;
        }
        return s.Reading->Next(buffer, *bytes);
    });
}

int32_t DR_CloseRipper(void) {
    discread::ClearLastError();
    auto& s = State();
    const std::lock_guard lock(s.Lock);
    s.Reading.reset();
    return DR_OK;
}

int32_t DR_SetSkipUnreadable(int32_t skip) {
    discread::ClearLastError();
    auto& s = State();
    const std::lock_guard lock(s.Lock);
    s.Choices.Unreadable =
        skip != 0 ? discread::UnreadableSectors::AsSilence : discread::UnreadableSectors::Fail;
    return DR_OK;
}

int32_t DR_SetReadOffset(int32_t samples) {
    discread::ClearLastError();
    auto& s = State();
    const std::lock_guard lock(s.Lock);
    if (samples < -discread::ReadChoices::MaxOffsetSamples ||
        samples > discread::ReadChoices::MaxOffsetSamples) {
        discread::SetLastError("a read offset of " + std::to_string(samples) +
                               " samples is more than a second");
        return DR_ERR_ARGUMENT;
    }
    s.Choices.OffsetSamples = samples;
    return DR_OK;
}

int32_t DR_SetOverread(int32_t overread) {
    discread::ClearLastError();
    auto& s = State();
    const std::lock_guard lock(s.Lock);
    s.Choices.Overread = overread != 0;
    return DR_OK;
}

int32_t DR_GetUnreadable(int32_t* sectors, int32_t capacity) {
    discread::ClearLastError();
    auto& s = State();
    const std::lock_guard lock(s.Lock);
    if (capacity < 0 || (capacity > 0 && sectors == nullptr)) {
        discread::SetLastError(discread::CodeText(DR_ERR_ARGUMENT));
        return -1;
    }
    if (!s.Reading) {
        return 0;
    }
    const std::vector<std::int32_t>& unreadable = s.Reading->Unreadable();
    const auto count = static_cast<int32_t>(unreadable.size());
    std::copy_n(unreadable.begin(), std::min(count, capacity), sectors);
    return count;
}

int32_t DR_ReadsFile(const char* path, int32_t* reads) {
    return Guarded(DR_ERR_ARGUMENT, [&]() -> int32_t {
        auto& s = State();
        const std::lock_guard lock(s.Lock);
        if (path == nullptr || reads == nullptr) {
            return DR_ERR_ARGUMENT;
        }
        *reads = 0;
        const discread::Drive* const drive = discread::ActiveDrive(s);
        if (drive == nullptr) {
            return s.Initialised ? DR_ERR_NO_DRIVE : DR_ERR_NOT_INITIALISED;
        }
        struct stat target {};
        if (!drive->Image || ::stat(path, &target) != 0) {
            return DR_OK;
        }
        std::vector<std::string> files;
        try {
            files = discread::OpenDiscImage(drive->Path)->Layout().SheetFiles;
        } catch (const discread::ImageError&) {
            // An image that cannot be opened still must not be written over.
            files = discread::ImageFiles(drive->Path);
        }
        for (const auto& file : files) {
            struct stat info {};
            if (::stat(file.c_str(), &info) == 0 && info.st_dev == target.st_dev &&
                info.st_ino == target.st_ino) {
                *reads = 1;
                break;
            }
        }
        return DR_OK;
    });
}

int32_t DR_GetDriveName(int32_t index, char* text, int32_t bytes) {
    discread::ClearLastError();
    auto& s = State();
    const std::lock_guard lock(s.Lock);
    if (!s.Initialised || index < 0 || index >= static_cast<int32_t>(s.Drives.size())) {
        discread::SetLastError(discread::CodeText(DR_ERR_ARGUMENT));
        return -1;
    }
    return CopyText(s.Drives[static_cast<std::size_t>(index)].Path, text, bytes);
}

int32_t DR_GetDriveModel(int32_t index, char* text, int32_t bytes) {
    return Guarded(-1, [&]() -> int32_t {
        auto& s = State();
        const std::lock_guard lock(s.Lock);
        if (!s.Initialised || index < 0 || index >= static_cast<int32_t>(s.Drives.size())) {
            discread::SetLastError(discread::CodeText(DR_ERR_ARGUMENT));
            return -1;
        }
        const discread::Drive& drive = s.Drives[static_cast<std::size_t>(index)];
        if (drive.Image) {
            return CopyText(discread::SimulatedModel(s.Options), text, bytes);
        }
        const std::unique_ptr<discread::Disc> disc = discread::Disc::Open(drive);
        return CopyText(disc ? disc->Model() : std::string(), text, bytes);
    });
}

int32_t DR_GetTrackText(int32_t index, int32_t field, char* text, int32_t bytes) {
    discread::ClearLastError();
    auto& s = State();
    const std::lock_guard lock(s.Lock);
    const std::size_t tracks = s.Toc.empty() ? 0 : s.Toc.size() - 1;
    if (index < -1 || index >= static_cast<int32_t>(tracks) || field < DR_TEXT_ISRC ||
        field > DR_TEXT_SONGWRITER) {
        discread::SetLastError(discread::CodeText(DR_ERR_ARGUMENT));
        return -1;
    }
    const auto& fields = index < 0 ? s.Texts.Disc : s.Texts.Tracks[static_cast<std::size_t>(index)];
    return CopyText(fields[static_cast<std::size_t>(field)], text, bytes);
}

int32_t DR_GetTrackPregap(int32_t index) {
    discread::ClearLastError();
    auto& s = State();
    const std::lock_guard lock(s.Lock);
    if (index < 0 || index >= static_cast<int32_t>(s.Pregaps.size())) {
        discread::SetLastError(discread::CodeText(DR_ERR_ARGUMENT));
        return -1;
    }
    return s.Pregaps[static_cast<std::size_t>(index)];
}

int32_t DR_GetLastErrorText(char* text, int32_t bytes) {
    return CopyText(discread::LastError(), text, bytes);
}

} // extern "C"
