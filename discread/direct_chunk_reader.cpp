#include "direct_chunk_reader.h"

#include "read_gate.h"

namespace discread {

DirectChunkReader::DirectChunkReader(std::unique_ptr<Disc> ADisc,
                                     std::unique_ptr<SimulatedDrive> ASimulated)
    : FDisc(std::move(ADisc)), FSimulated(std::move(ASimulated)) {}

bool DirectChunkReader::Read(std::uint8_t* Buffer, std::int32_t Lsn, std::int32_t Count,
                             std::stop_token Stop) {
    if (!PassImageReadGate(Stop)) {
        return false;
    }
    if (FSimulated && !FSimulated->Read(Lsn, Count, Stop)) {
        return false;
    }
    if (!FDisc->ReadAudio(Buffer, Lsn, Count)) {
        return false;
    }
    if (FSimulated) {
        FSimulated->Garble(Buffer, Lsn, Count);
    }
    return true;
}

bool DirectChunkReader::ReadOutside(std::uint8_t* Buffer, std::int64_t Sector,
                                    const std::stop_token& /*Stop*/) {
    if (FSimulated) {
        return FSimulated->ReadLead(Buffer, Sector, FDisc->DataEnd());
    }
    return FDisc->ReadOutside(Buffer, Sector);
}

} // namespace discread
