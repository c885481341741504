#include "paranoia_chunk_reader.h"

#include "last_error.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

namespace discread {

namespace {

constexpr std::int32_t SectorBytes = CDIO_CD_FRAMESIZE_RAW;

// The paranoia callback has no user argument; reads of one reader run on one
// thread at a time, so a thread-local flag carries the verdict back. A hard
// read error is what paranoia reads again; only a sector it gave up on after
// its retries is lost (counting the errors too failed sectors that a second
// read had recovered).
thread_local bool SectorLost = false;

void NoteParanoiaEvent(long, paranoia_cb_mode_t Event) {
    if (Event == PARANOIA_CB_SKIP) {
        SectorLost = true;
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
                                         std::int32_t First)
    : FDisc(std::move(ADisc)), FImageDrive(std::move(AImageDrive)),
      FDrive(ADrive, FreeDrive{!FImageDrive}), FParanoia(AParanoia) {
    cdio_paranoia_seek(FParanoia.get(), First, SEEK_SET);
    FExpected = First;
}

bool ParanoiaChunkReader::Read(std::uint8_t* Buffer, std::int32_t Lsn, std::int32_t Count,
                               std::stop_token Stop) {
    if (Lsn != FExpected) {
        cdio_paranoia_seek(FParanoia.get(), Lsn, SEEK_SET);
    }
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
    for (std::int32_t i = 0; i < Count; ++i) {
        SectorLost = false;
        const std::int16_t* const samples =
            cdio_paranoia_read_limited(FParanoia.get(), NoteParanoiaEvent, MaxRetries);
        // Stopped, the image's reads failed at once: whatever paranoia made of
        // that is no verdict on the disc.
        if (Stop.stop_requested()) {
            FExpected = -1;
            return false;
        }
        if (samples == nullptr || SectorLost) {
            const std::string why = FImageDrive ? FImageDrive->WhyLost(Lsn + i) : "";
            SetLastError(why.empty() ? "sector " + std::to_string(Lsn + i) + " cannot be read"
                                     : why);
            // Paranoia has moved on; the next attempt seeks back.
            FExpected = -1;
            return false;
        }
        std::memcpy(Buffer + static_cast<std::ptrdiff_t>(i) * SectorBytes, samples, SectorBytes);
    }
    FExpected = Lsn + Count;
    return true;
}

} // namespace discread
