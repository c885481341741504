#include "tools/kestrune-rip/disc_progress.h"

#include "platform/terminal.h"
#include "tools/kestrune-rip/progress_display.h"

#include <algorithm>

namespace kestrune::rip {

namespace {

constexpr double RateWindowSeconds = 10;

} // namespace

DiscProgress::DiscProgress(std::FILE* AOut, bool AEnabled, double ATotalSeconds)
    : FOut(AOut), FEnabled(AEnabled), FTerminal(platform::IsTerminal(AOut)),
      FTotalSeconds(ATotalSeconds) {}

double DiscProgress::RecentRate(const std::deque<std::pair<double, double>>& Samples) {
    if (Samples.size() < 2) {
        return 0;
    }
    const double wall = Samples.back().first - Samples.front().first;
    const double audio = Samples.back().second - Samples.front().second;
    return wall > 0 ? audio / wall : 0;
}

std::string DiscProgress::TotalFigures(double DoneSeconds, double Rate) const {
    const auto percent = static_cast<std::int32_t>(
        FTotalSeconds > 0 ? std::clamp(100.0 * DoneSeconds / FTotalSeconds, 0.0, 100.0) : 0.0);
    std::string speed = "-";
    std::string left = "-";
    if (Rate > 0) {
        char text[32];
        std::snprintf(text, sizeof text, "%.1fx", Rate);
        speed = text;
        left = ProgressDisplay::Clock((FTotalSeconds - DoneSeconds) / Rate);
    }
    if (percent >= 100) {
        left = ProgressDisplay::Clock(0);
    }
    return ProgressDisplay::Figures(percent, speed, left);
}

void DiscProgress::Update(const std::vector<TrackState>& Tracks, double DoneSeconds) {
    if (!FEnabled) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    const double wall = std::chrono::duration<double>(now - FStart).count();
    if (FSamples.empty() || wall > FSamples.back().first) {
        FSamples.emplace_back(wall, DoneSeconds);
    }
    while (FSamples.size() > 2 && wall - FSamples.front().first > RateWindowSeconds) {
        FSamples.pop_front();
    }
    const double rate = RecentRate(FSamples);
    if (FTerminal) {
        // Redrawing ten times a second is plenty for the eye.
        if (now - FLastDraw >= std::chrono::milliseconds(100)) {
            FLastDraw = now;
            DrawBlock(Tracks, DoneSeconds, rate);
        }
    } else {
        WriteLines(Tracks, DoneSeconds, rate);
    }
}

void DiscProgress::DrawBlock(const std::vector<TrackState>& Tracks, double DoneSeconds,
                             double Rate) {
    Clear();
    const int columns = platform::TerminalColumns(FOut);
    for (const TrackState& track : Tracks) {
        const std::string figures = ProgressDisplay::Figures(
            track.Percent, ProgressDisplay::Speed(track.AudioSeconds, track.WallSeconds),
            ProgressDisplay::TimeLeft(track.Percent, track.WallSeconds));
        std::fprintf(
            FOut, "%s\n",
            ProgressDisplay::BarLine(track.Label, track.Percent, figures, columns).c_str());
    }
    const std::string total = TotalFigures(DoneSeconds, Rate);
    const auto percent = static_cast<std::int32_t>(
        FTotalSeconds > 0 ? std::clamp(100.0 * DoneSeconds / FTotalSeconds, 0.0, 100.0) : 0.0);
    std::fprintf(FOut, "%s\n",
                 ProgressDisplay::BarLine("Total   ", percent, total, columns).c_str());
    std::fflush(FOut);
    FDrawnLines = static_cast<int>(Tracks.size()) + 1;
}

void DiscProgress::WriteLines(const std::vector<TrackState>& Tracks, double DoneSeconds,
                              double Rate) {
    bool wrote = false;
    for (const TrackState& track : Tracks) {
        // A line every tenth keeps a log readable.
        const std::int32_t tenth = track.Percent / 10;
        auto [last, added] = FLastTenth.try_emplace(track.Label, -1);
        if (tenth != last->second) {
            last->second = tenth;
            std::fprintf(FOut, "%s\n",
                         ProgressDisplay::PlainLine(track.Label, track.Percent, track.AudioSeconds,
                                                    track.WallSeconds)
                             .c_str());
            wrote = true;
        }
    }
    const auto totalTenth =
        static_cast<std::int32_t>(FTotalSeconds > 0 ? 10.0 * DoneSeconds / FTotalSeconds : 0.0);
    if (totalTenth != FLastTotalTenth) {
        FLastTotalTenth = totalTenth;
        std::fprintf(FOut, "Total: %s\n", TotalFigures(DoneSeconds, Rate).c_str());
        wrote = true;
    }
    if (wrote) {
        std::fflush(FOut);
    }
}

void DiscProgress::Clear() {
    if (FDrawnLines > 0) {
        // Up to the block's first line, then erase from there to the end.
        std::fprintf(FOut, "\x1b[%dF\x1b[J", FDrawnLines);
        std::fflush(FOut);
        FDrawnLines = 0;
    }
}

} // namespace kestrune::rip
