#include "tools/kestrune-rip/loudness_meter.h"

#include "pipeline/audio_exception.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kestrune::rip {

namespace {

constexpr double ReferenceLufs = -18.0;
constexpr std::size_t FrameBytes = CDChannels * CDBitsPerSample / 8;

std::optional<ReplayGain> FiguresOf(double Lufs, double Peak) {
    if (!std::isfinite(Lufs)) {
        return std::nullopt;
    }
    return ReplayGain{ReferenceLufs - Lufs, Peak};
}

} // namespace

// The blocks are handed over in batches of a second of audio or so; at most
// this many batches wait for the measuring thread and the reader waits beyond
// that, so memory stays bounded however slow the measuring is.
constexpr std::size_t BatchBytes = 176400;
constexpr std::size_t MostHandedOver = 8;

TLoudnessMeter::TLoudnessMeter(TComponent* AOwner)
    : TCDPassThrough(AOwner),
      FMeasurer([this](const std::stop_token& Stop) { MeasureHandedOver(Stop); }) {}

TLoudnessMeter::~TLoudnessMeter() {
    {
        // Under the lock, or the thread could miss the wake-up between looking
        // at the stop and waiting.
        const std::lock_guard lock(FLock);
        FMeasurer.request_stop();
    }
    FChanged.notify_all();
}

void TLoudnessMeter::MeasureHandedOver(const std::stop_token& Stop) {
    std::unique_lock lock(FLock);
    for (;;) {
        FChanged.wait(lock, [&] { return Stop.stop_requested() || !FHandedOver.empty(); });
        if (Stop.stop_requested()) {
            return;
        }
        std::vector<std::byte> block = std::move(FHandedOver.front());
        FHandedOver.pop_front();
        FMeasuring = true;
        FChanged.notify_all();
        lock.unlock();
        Measure(block);
        lock.lock();
        // Kept for the next batch: a fresh one of this size would be mapped
        // and faulted in anew each second.
        block.clear();
        FSpare.push_back(std::move(block));
        FMeasuring = false;
        FChanged.notify_all();
    }
}

void TLoudnessMeter::WaitMeasured(std::unique_lock<std::mutex>& Lock) const {
    FChanged.wait(Lock, [this] { return FHandedOver.empty() && !FMeasuring; });
}

void TLoudnessMeter::OpenSource() {
    TAudioInput* const input = &InputToOpen("The loudness meter has no input");
    {
        std::unique_lock lock(FLock);
        WaitMeasured(lock);
        FLoudness = GatedLoudness();
        FCarry.clear();
        FGathered.clear();
        FHeard = false;
        FPeak = 0;
    }
    input->OpenSource();
    OpenedOver(*input);
}

std::int32_t TLoudnessMeter::ReadBlock(std::span<std::byte> Buffer) {
    if (!Busy()) {
        throw EAudioException("The Stream is not opened");
    }
    const std::int32_t count = ReadInput(Buffer);
    if (count > 0) {
        const auto bytes = Buffer.first(static_cast<std::size_t>(count));
        FGathered.insert(FGathered.end(), bytes.begin(), bytes.end());
        if (FGathered.size() >= BatchBytes) {
            HandOver();
        }
        FPosition += count;
    } else {
        HandOver(); // the end: what is left is measured before anyone asks for the figures
    }
    return count;
}

void TLoudnessMeter::HandOver() {
    if (FGathered.empty()) {
        return;
    }
    std::unique_lock lock(FLock);
    FChanged.wait(lock, [this] { return FHandedOver.size() < MostHandedOver; });
    FHandedOver.push_back(std::move(FGathered));
    FGathered = {};
    if (!FSpare.empty()) {
        FGathered = std::move(FSpare.back());
        FSpare.pop_back();
    }
    FChanged.notify_all();
    lock.unlock();
    FGathered.reserve(BatchBytes);
}

// Only the measuring thread calls this; the state it changes is read by
// others only once every block is measured (WaitMeasured).
void TLoudnessMeter::Measure(std::vector<std::byte>& Bytes) {
    // A sample cut by the last block goes first; most blocks hold whole ones.
    FCarry.insert(FCarry.end(), Bytes.begin(), Bytes.end());
    const std::size_t frames = FCarry.size() / FrameBytes;
    if (frames == 0) {
        return;
    }
    FSamples.resize(frames * 2);
    std::memcpy(FSamples.data(), FCarry.data(), frames * FrameBytes);
    FCarry.erase(FCarry.begin(), FCarry.begin() + static_cast<std::ptrdiff_t>(frames * FrameBytes));
    // The peak is a sample's size.
    const auto [low, high] = std::minmax_element(FSamples.begin(), FSamples.end());
    FPeak = std::max({FPeak, -static_cast<int>(*low), static_cast<int>(*high)});
    FLoudness.Add(FSamples);
    FHeard = true;
}

void TLoudnessMeter::CloseSource() {
    HandOver(); // a reading stopped short is measured as far as it got
    CloseInput();
}

double TLoudnessMeter::Peak() const {
    return FPeak / 32768.0;
}

std::optional<ReplayGain> TLoudnessMeter::TrackGain() const {
    std::unique_lock lock(FLock);
    WaitMeasured(lock);
    const std::optional<double> lufs = FHeard ? GatedLoudness::Lufs({&FLoudness}) : std::nullopt;
    return lufs ? FiguresOf(*lufs, Peak()) : std::nullopt;
}

std::optional<ReplayGain>
TLoudnessMeter::AlbumGain(const std::vector<const TLoudnessMeter*>& Tracks) {
    std::vector<std::unique_lock<std::mutex>> locks;
    std::vector<const GatedLoudness*> measured;
    double peak = 0;
    for (const TLoudnessMeter* track : Tracks) {
        locks.emplace_back(track->FLock);
        track->WaitMeasured(locks.back());
        if (track->FHeard) {
            measured.push_back(&track->FLoudness);
            peak = std::max(peak, track->Peak());
        }
    }
    const std::optional<double> lufs =
        measured.empty() ? std::nullopt : GatedLoudness::Lufs(measured);
    return lufs ? FiguresOf(*lufs, peak) : std::nullopt;
}

} // namespace kestrune::rip
