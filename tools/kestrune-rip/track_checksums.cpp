#include "tools/kestrune-rip/track_checksums.h"

#include "pipeline/audio_exception.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace kestrune::rip {

std::string FormatChecksum(std::uint32_t Value) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "%08X", static_cast<unsigned>(Value));
    return text.data();
}

namespace {

constexpr std::size_t SampleBytes = CDChannels * CDBitsPerSample / 8;
constexpr std::uint64_t EndSamples = AccurateRipEndSamples;

std::uint32_t Crc(std::uint32_t Sum, std::span<const std::byte> Bytes) {
    return static_cast<std::uint32_t>(
        crc32(Sum, reinterpret_cast<const Bytef*>(Bytes.data()), static_cast<uInt>(Bytes.size())));
}

} // namespace

std::uint64_t CtdbTailSamples(std::int64_t AudioSectors, std::int64_t PastLeadOut) {
    constexpr std::int64_t row = 10;
    const std::int64_t sectors =
        row + (AudioSectors > 0 ? AudioSectors % row : 0) + (PastLeadOut > 0 ? PastLeadOut : 0);
    return static_cast<std::uint64_t>(sectors) * 588;
}

TTrackChecksums::TTrackChecksums(TComponent* AOwner)
    : TCDPassThrough(AOwner), FSummer([this](std::span<const std::byte> Bytes) { Add(Bytes); }) {}

void TTrackChecksums::SetPlace(const TrackPlace& Place) {
    FSummer.WaitDone();
    FPlace = Place;
}

TrackChecksums TTrackChecksums::Checksums() const {
    FSummer.WaitDone();
    return FSums;
}

void TTrackChecksums::OpenSource() {
    TAudioInput* const input = &InputToOpen("The checksums have no input");
    input->OpenSource();
    // Anything left of an earlier reading is summed into its checksums
    // before they are cleared.
    FSummer.HandOver();
    FSummer.WaitDone();
    FSums = {};
    FCarry.clear();
    FTotalSamples = static_cast<std::uint64_t>(input->Size()) / SampleBytes;
    OpenedOver(*input);
}

std::int32_t TTrackChecksums::ReadBlock(std::span<std::byte> Buffer) {
    if (!Busy()) {
        throw EAudioException("The Stream is not opened");
    }
    const std::int32_t count = ReadInput(Buffer);
    if (count > 0) {
        FSummer.Add(Buffer.first(static_cast<std::size_t>(count)));
        FPosition += count;
    } else {
        FSummer.HandOver(); // the end: summed before anyone asks for the checksums
    }
    return count;
}

void TTrackChecksums::AddSamples(std::span<const std::byte> Whole) {
    const std::uint64_t from = FPlace.First ? EndSamples : 1;
    const std::uint64_t to =
        FPlace.Last && FTotalSamples >= EndSamples ? FTotalSamples - EndSamples : FTotalSamples;
    const std::uint64_t before = FSums.Samples;
    std::uint32_t v1 = FSums.AccurateRip1;
    std::uint32_t v2 = FSums.AccurateRip2;
    std::uint64_t position = FSums.Samples;
    bool silence = false;
    for (std::size_t at = 0; at < Whole.size(); at += SampleBytes) {
        std::uint32_t sample = 0;
        std::memcpy(&sample, Whole.data() + at, SampleBytes); // little-endian, left low
        ++position;
        silence = silence || sample == 0;
        if (position >= from && position <= to) {
            const std::uint64_t product = static_cast<std::uint64_t>(sample) * position;
            v1 += static_cast<std::uint32_t>(product);
            v2 += static_cast<std::uint32_t>(product) + static_cast<std::uint32_t>(product >> 32);
        }
    }
    FSums.AccurateRip1 = v1;
    FSums.AccurateRip2 = v2;
    FSums.Samples = position;
    // One pass of the CRC serves both sums unless silent samples are to be left out.
    const std::uint32_t block = Crc(0, Whole);
    const auto length = static_cast<z_off_t>(Whole.size());
    AddCtdb(Whole, before, block);
    FSums.Crc32 = static_cast<std::uint32_t>(crc32_combine(FSums.Crc32, block, length));
    if (!silence) {
        FSums.Crc32WithoutZeros =
            static_cast<std::uint32_t>(crc32_combine(FSums.Crc32WithoutZeros, block, length));
        return;
    }
    std::size_t run = 0; // where the samples that are not silence began
    for (std::size_t at = 0; at < Whole.size(); at += SampleBytes) {
        std::uint32_t sample = 0;
        std::memcpy(&sample, Whole.data() + at, SampleBytes);
        if (sample == 0) {
            FSums.Crc32WithoutZeros = Crc(FSums.Crc32WithoutZeros, Whole.subspan(run, at - run));
            run = at + SampleBytes;
        }
    }
    FSums.Crc32WithoutZeros = Crc(FSums.Crc32WithoutZeros, Whole.subspan(run));
}

void TTrackChecksums::AddCtdb(std::span<const std::byte> Whole, std::uint64_t Before,
                              std::uint32_t Block) {
    const std::uint64_t from = FPlace.First ? CtdbHeadSamples : 0;
    const std::uint64_t to = FTotalSamples > FPlace.CtdbTail ? FTotalSamples - FPlace.CtdbTail : 0;
    // Whole's samples are those from Before (counted from 0) on.
    const std::uint64_t count = Whole.size() / SampleBytes;
    const std::uint64_t first = std::max(from, Before);
    const std::uint64_t end = std::min(to, Before + count);
    if (first >= end) {
        return;
    }
    const std::span<const std::byte> inside =
        Whole.subspan((first - Before) * SampleBytes, (end - first) * SampleBytes);
    const std::uint32_t crc = inside.size() == Whole.size() ? Block : Crc(0, inside);
    FSums.Ctdb = static_cast<std::uint32_t>(
        crc32_combine(FSums.Ctdb, crc, static_cast<z_off_t>(inside.size())));
    FSums.CtdbBytes += inside.size();
}

void TTrackChecksums::Add(std::span<const std::byte> Bytes) {
    // A sample a block cut in two is counted once it is whole.
    if (!FCarry.empty()) {
        const std::size_t wanted = std::min(SampleBytes - FCarry.size(), Bytes.size());
        FCarry.insert(FCarry.end(), Bytes.begin(),
                      Bytes.begin() + static_cast<std::ptrdiff_t>(wanted));
        Bytes = Bytes.subspan(wanted);
        if (FCarry.size() < SampleBytes) {
            return;
        }
        AddSamples(FCarry);
        FCarry.clear();
    }
    const std::size_t whole = Bytes.size() / SampleBytes * SampleBytes;
    AddSamples(Bytes.first(whole));
    FCarry.assign(Bytes.begin() + static_cast<std::ptrdiff_t>(whole), Bytes.end());
}

void TTrackChecksums::CloseSource() {
    FSummer.HandOver(); // a reading stopped short is summed as far as it got
    CloseInput();
}

} // namespace kestrune::rip
