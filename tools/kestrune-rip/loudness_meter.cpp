#include "tools/kestrune-rip/loudness_meter.h"

#include "pipeline/audio_exception.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kestrune::rip {

namespace {

constexpr double ReferenceLufs = -18.0;
constexpr std::size_t FrameBytes = 4;

std::optional<ReplayGain> FiguresOf(double Lufs, double Peak) {
    if (!std::isfinite(Lufs)) {
        return std::nullopt;
    }
    return ReplayGain{ReferenceLufs - Lufs, Peak};
}

} // namespace

void TLoudnessMeter::Destroy::operator()(ebur128_state* State) const {
    ebur128_destroy(&State);
}

TLoudnessMeter::TLoudnessMeter(TComponent* AOwner) : TAudioConverter(AOwner) {}

TLoudnessMeter::~TLoudnessMeter() = default;

void TLoudnessMeter::OpenSource() {
    if (Busy()) {
        throw EAudioException("The component is busy");
    }
    TAudioInput* const input = Input();
    if (input == nullptr) {
        throw EAudioException("The loudness meter has no input");
    }
    {
        const std::lock_guard lock(FLock);
        FState.reset(ebur128_init(2, 44100, EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK));
        if (!FState) {
            throw std::bad_alloc();
        }
        FCarry.clear();
        FHeard = false;
    }
    input->OpenSource();
    FSize = input->Size();
    FPosition = 0;
    FBusy = true;
}

std::int32_t TLoudnessMeter::ReadBlock(std::span<std::byte> Buffer) {
    if (!Busy()) {
        throw EAudioException("The Stream is not opened");
    }
    const std::int32_t count = ReadInput(Buffer);
    if (count > 0) {
        Measure(Buffer.first(static_cast<std::size_t>(count)));
        FPosition += count;
    }
    return count;
}

void TLoudnessMeter::Measure(std::span<const std::byte> Bytes) {
    const std::lock_guard lock(FLock);
    FCarry.insert(FCarry.end(), Bytes.begin(), Bytes.end());
    const std::size_t frames = FCarry.size() / FrameBytes;
    if (frames == 0) {
        return;
    }
    std::vector<short> samples(frames * 2);
    std::memcpy(samples.data(), FCarry.data(), frames * FrameBytes);
    if (ebur128_add_frames_short(FState.get(), samples.data(), frames) != EBUR128_SUCCESS) {
        throw std::bad_alloc();
    }
    FCarry.erase(FCarry.begin(), FCarry.begin() + static_cast<std::ptrdiff_t>(frames * FrameBytes));
    FHeard = true;
}

void TLoudnessMeter::CloseSource() {
    if (TAudioInput* const input = Input()) {
        input->CloseSource();
    }
    FBusy = false;
    FSize = 0;
}

double TLoudnessMeter::Peak() const {
    double peak = 0;
    for (unsigned channel = 0; channel < 2; ++channel) {
        double value = 0;
        if (ebur128_sample_peak(FState.get(), channel, &value) == EBUR128_SUCCESS) {
            peak = std::max(peak, value);
        }
    }
    return peak;
}

std::optional<ReplayGain> TLoudnessMeter::TrackGain() const {
    const std::lock_guard lock(FLock);
    double lufs = 0;
    if (!FHeard || ebur128_loudness_global(FState.get(), &lufs) != EBUR128_SUCCESS) {
        return std::nullopt;
    }
    return FiguresOf(lufs, Peak());
}

std::optional<ReplayGain>
TLoudnessMeter::AlbumGain(const std::vector<const TLoudnessMeter*>& Tracks) {
    std::vector<std::unique_lock<std::mutex>> locks;
    std::vector<ebur128_state*> states;
    double peak = 0;
    for (const TLoudnessMeter* track : Tracks) {
        locks.emplace_back(track->FLock);
        if (track->FHeard) {
            states.push_back(track->FState.get());
            peak = std::max(peak, track->Peak());
        }
    }
    double lufs = 0;
    if (states.empty() ||
        ebur128_loudness_global_multiple(states.data(), states.size(), &lufs) != EBUR128_SUCCESS) {
        return std::nullopt;
    }
    return FiguresOf(lufs, peak);
}

} // namespace kestrune::rip
