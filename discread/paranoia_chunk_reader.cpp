#include "paranoia_chunk_reader.h"

#include "last_error.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

namespace discread {

namespace {

constexpr std::int32_t SectorBytes = CDIO_CD_FRAMESIZE_RAW;

// The reader whose reads the drive's read_audio notes, on this thread: the
// hook has no argument of its own.
thread_local ParanoiaChunkReader* Recording = nullptr;

// Paranoia never skips here (the reader bounds its work instead), so no event
// changes the verdict: a sector is what the record says some read gave.
void IgnoreParanoiaEvent(long /*Position*/, paranoia_cb_mode_t /*Event*/) {}

// Makes a reader the one the hook notes for, while it lives.
class RecordingScope {
public:
    explicit RecordingScope(ParanoiaChunkReader* Reader) : FPrevious(Recording) {
        Recording = Reader;
    }
    ~RecordingScope() { Recording = FPrevious; }
    RecordingScope(const RecordingScope&) = delete;
    RecordingScope& operator=(const RecordingScope&) = delete;
    RecordingScope(RecordingScope&&) = delete;
    RecordingScope& operator=(RecordingScope&&) = delete;

private:
    ParanoiaChunkReader* FPrevious;
};

// What paranoia is given for sectors the reader has given up on: the same
// for a sector every time it is read, and nowhere the same as elsewhere, so
// that paranoia's matching places it at once (silence, which matches
// anywhere, takes it seconds a sector).
void FillMadeUp(std::uint8_t* Buffer, std::int64_t Begin, long Sectors) {
    const std::int64_t words = std::int64_t{Sectors} * SectorBytes / 2;
    for (std::int64_t i = 0; i < words; ++i) {
        const auto word = static_cast<std::uint64_t>(Begin * (SectorBytes / 2) + i);
        const auto value = static_cast<std::uint16_t>((word * 0x9E3779B97F4A7C15ULL) >> 48);
        std::memcpy(Buffer + i * 2, &value, 2);
    }
}

} // namespace

// An image's drive closes its own cdrom_drive_t.
void ParanoiaChunkReader::FreeDrive::operator()(cdrom_drive_t* Drive) const {
    if (Owned) {
        cdio_cddap_close_no_free_cdio(Drive);
    }
}

ParanoiaChunkReader::ParanoiaChunkReader(std::unique_ptr<Disc> ADisc,
                                         std::unique_ptr<ImageDrive> AImageDrive,
                                         cdrom_drive_t* ADrive, cdrom_paranoia_t* AParanoia,
                                         int AModes, std::int32_t First)
    : FDisc(std::move(ADisc)), FImageDrive(std::move(AImageDrive)),
      FDrive(ADrive, FreeDrive{!FImageDrive}), FParanoia(AParanoia), FDriveRead(FDrive->read_audio),
      FModes(AModes | PARANOIA_MODE_NEVERSKIP) {
    FDrive->read_audio = RecordedRead;
    cdio_paranoia_modeset(FParanoia.get(), FModes);
    cdio_paranoia_seek(FParanoia.get(), First, SEEK_SET);
    FExpected = First;
}

long ParanoiaChunkReader::RecordedRead(cdrom_drive_t* Drive, void* Buffer, lsn_t Begin,
                                       long Sectors) {
    ParanoiaChunkReader* const reader = Recording;
    if (reader == nullptr) {
        return -1;
    }
    // A read that starts before the last one ended is paranoia reading again.
    if (Begin < reader->FLastEnd && ++reader->FPasses > MaxPasses && !reader->FGivenUp) {
        reader->GiveUp();
    }
    reader->FLastEnd = std::int64_t{Begin} + Sectors;
    // Given up or stopped: paranoia gets silence, which agrees with itself at
    // once, so its call returns; nothing is noted, so none of it is handed out.
    if (reader->FGivenUp || reader->FStop.stop_requested()) {
        if (Buffer != nullptr) {
            FillMadeUp(static_cast<std::uint8_t*>(Buffer), Begin, Sectors);
        }
        return Sectors;
    }
    ClearLastError();
    const long got = reader->FDriveRead(Drive, Buffer, Begin, Sectors);
    // A read into no buffer is a seek, which gives nothing.
    if (Buffer != nullptr && got < Sectors) {
        reader->FRecord.Note(Begin, Sectors, std::max(got, 0L),
                             LastError().empty()
                                 ? "sector " + std::to_string(Begin + std::max(got, 0L)) +
                                       " cannot be read"
                                 : LastError());
    } else if (Buffer != nullptr) {
        reader->FRecord.Note(Begin, Sectors, got, {});
    }
    return got;
}

bool ParanoiaChunkReader::Read(std::uint8_t* Buffer, std::int32_t Lsn, std::int32_t Count,
                               std::stop_token Stop) {
    // Paranoia does not stop at the lead-out: past it a drive (or an image
    // through this path) would hand back silence as if it had been read.
    const std::int64_t end = FDisc->DataEnd();
    if (std::int64_t{Lsn} + Count > end) {
        SetLastError("sector " + std::to_string(std::max<std::int64_t>(Lsn, end)) +
                     " lies past the end of the disc's data");
        return false;
    }
    std::optional<ImageDrive::Reading> reading;
    if (FImageDrive) {
        reading.emplace(*FImageDrive, Stop);
    }
    const RecordingScope recording(this);
    FStop = Stop;
    return ReadAttempts(Buffer, Lsn, Count, Stop);
}

bool ParanoiaChunkReader::ReadAttempts(std::uint8_t* Buffer, std::int32_t Lsn, std::int32_t Count,
                                       const std::stop_token& Stop) {
    // A read that failed where the chunk lies leaves paranoia a hole, which it
    // reads again; but what its matching makes of a hole can be wrong (a pure
    // tone fits anywhere), so such a chunk is read once more from a fresh
    // start, where a failure that has passed leaves no hole. It is handed out
    // only from a pass that no failure touched.
    for (int attempt = 1;; ++attempt) {
        if (attempt > 1) {
            FRecord.Forget(Lsn, std::int64_t{Lsn} + Count);
        }
        // A seek keeps what paranoia read before in its caches, the made-up
        // audio of a failed read among it: once more means from a new start.
        const bool fresh = attempt > 1 || FRenew;
        if (fresh && !Renew()) {
            SetLastError("the verified reading cannot start again at sector " +
                         std::to_string(Lsn));
            return false;
        }
        if (fresh || Lsn != FExpected) {
            cdio_paranoia_seek(FParanoia.get(), Lsn, SEEK_SET);
        }
        FExpected = -1;
        const Attempt result = ReadOnce(Buffer, Lsn, Count, Stop);
        if (result == Attempt::Stopped) {
            FRenew = true;
            return false;
        }
        const auto failed = FRecord.FirstFailed(Lsn, std::int64_t{Lsn} + Count);
        if (result == Attempt::Read && !failed) {
            FExpected = Lsn + Count;
            return true;
        }
        if (!failed || attempt == MaxAttempts) {
            FRenew = true;
            const std::int64_t sector = failed.value_or(Lsn);
            const std::string why = FRecord.WhyLost(sector);
            SetLastError(why.empty() ? "sector " + std::to_string(sector) + " cannot be read"
                                     : why);
            return false;
        }
    }
}

bool ParanoiaChunkReader::Renew() {
    cdrom_paranoia_t* const fresh = cdio_paranoia_init(FDrive.get());
    if (fresh == nullptr) {
        return false;
    }
    FParanoia.reset(fresh);
    cdio_paranoia_modeset(fresh, FModes);
    FRenew = false;
    return true;
}

bool ParanoiaChunkReader::ReadAlone(std::uint8_t* Buffer, std::int32_t Lsn,
                                    const std::stop_token& Stop) {
    FRenew = true;
    FExpected = -1;
    if (FImageDrive) {
        return FImageDrive->ReadPlain(Buffer, Lsn, 1, Stop);
    }
    return FDriveRead(FDrive.get(), Buffer, Lsn, 1) == 1;
}

bool ParanoiaChunkReader::ReadOutside(std::uint8_t* Buffer, std::int64_t Sector,
                                      const std::stop_token& /*Stop*/) {
    // Paranoia's next read must not trust where it thinks the drive stands.
    FRenew = true;
    FExpected = -1;
    return FImageDrive ? FImageDrive->ReadOutside(Buffer, Sector)
                       : FDisc->ReadOutside(Buffer, Sector);
}

void ParanoiaChunkReader::GiveUp() {
    // Silence alone would not do where paranoia holds verified audio up to the
    // sector (it would disagree with it for ever); allowed to skip, paranoia
    // takes the silence after it.
    FGivenUp = true;
    cdio_paranoia_modeset(FParanoia.get(), FModes & ~PARANOIA_MODE_NEVERSKIP);
}

ParanoiaChunkReader::Attempt ParanoiaChunkReader::ReadOnce(std::uint8_t* Buffer, std::int32_t Lsn,
                                                           std::int32_t Count,
                                                           const std::stop_token& Stop) {
    for (std::int32_t i = 0; i < Count; ++i) {
        FPasses = 0;
        if (FGivenUp) {
            FGivenUp = false;
            cdio_paranoia_modeset(FParanoia.get(), FModes);
        }
        const std::int16_t* const samples =
            cdio_paranoia_read_limited(FParanoia.get(), IgnoreParanoiaEvent, MaxRetries);
        // Stopped, the image's reads failed at once: whatever paranoia made of
        // that is no verdict on the disc.
        if (Stop.stop_requested()) {
            return Attempt::Stopped;
        }
        // Paranoia's matching can also fill a sector no read gave from the
        // data around it: that is no reading of it.
        if (samples == nullptr || FGivenUp || !FRecord.Delivered(Lsn + i)) {
            return Attempt::Lost;
        }
        std::memcpy(Buffer + static_cast<std::ptrdiff_t>(i) * SectorBytes, samples, SectorBytes);
    }
    return Attempt::Read;
}

} // namespace discread
