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

TLoudnessMeter::TLoudnessMeter(TComponent* AOwner)
    : TCDPassThrough(AOwner),
      FMeasurer([this](std::span<const std::byte> Bytes) { Measure(Bytes); }) {}

TLoudnessMeter::~TLoudnessMeter() = default;

void TLoudnessMeter::OpenSource() {
    TAudioInput* const input = &InputToOpen("The loudness meter has no input");
    // Anything left of an earlier reading is measured into its figures
    // before they are cleared.
    FMeasurer.HandOver();
    FMeasurer.WaitDone();
    FLoudness = GatedLoudness();
    FCarry.clear();
    FHeard = false;
    FPeak = 0;
    input->OpenSource();
    OpenedOver(*input);
}

std::int32_t TLoudnessMeter::ReadBlock(std::span<std::byte> Buffer) {
    if (!Busy()) {
        throw EAudioException("The Stream is not opened");
    }
    const std::int32_t count = ReadInput(Buffer);
    if (count > 0) {
        FMeasurer.Add(Buffer.first(static_cast<std::size_t>(count)));
        FPosition += count;
    } else {
        FMeasurer.HandOver(); // the end: measured before anyone asks for the figures
    }
    return count;
}

void TLoudnessMeter::Measure(std::span<const std::byte> Bytes) {
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
    FMeasurer.HandOver(); // a reading stopped short is measured as far as it got
    CloseInput();
}

double TLoudnessMeter::Peak() const {
    return FPeak / 32768.0;
}

std::optional<ReplayGain> TLoudnessMeter::TrackGain() const {
    FMeasurer.WaitDone();
    const std::optional<double> lufs = FHeard ? GatedLoudness::Lufs({&FLoudness}) : std::nullopt;
    return lufs ? FiguresOf(*lufs, Peak()) : std::nullopt;
}

std::optional<ReplayGain>
TLoudnessMeter::AlbumGain(const std::vector<const TLoudnessMeter*>& Tracks) {
    std::vector<const GatedLoudness*> measured;
    double peak = 0;
    for (const TLoudnessMeter* track : Tracks) {
        track->FMeasurer.WaitDone();
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
