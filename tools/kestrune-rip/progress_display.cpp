#include "tools/kestrune-rip/progress_display.h"

#include "platform/terminal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace kestrune::rip {

ProgressDisplay::ProgressDisplay(std::FILE* AOut, std::string ALabel, bool AEnabled)
    : FOut(AOut), FLabel(std::move(ALabel)), FEnabled(AEnabled),
      FTerminal(platform::IsTerminal(AOut)) {}

std::string TrackLabel(std::int32_t Number) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "Track %02d", static_cast<int>(Number));
    return text.data();
}

std::string ProgressDisplay::Speed(double AudioSeconds, double WallSeconds) {
    if (WallSeconds <= 0 || AudioSeconds <= 0) {
        return "-";
    }
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.1fx", AudioSeconds / WallSeconds);
    return text.data();
}

std::string ProgressDisplay::Clock(double Seconds) {
    const auto whole = static_cast<long>(std::lround(std::max(0.0, Seconds)));
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%ld:%02ld", whole / 60, whole % 60);
    return text.data();
}

std::string ProgressDisplay::TimeLeft(std::int32_t Percent, double WallSeconds) {
    if (Percent >= 100) {
        return Clock(0);
    }
    if (Percent <= 0) {
        return "-";
    }
    return Clock(WallSeconds * (100.0 - Percent) / Percent);
}

std::string ProgressDisplay::Figures(std::int32_t Percent, const std::string& Speed,
                                     const std::string& Left) {
    std::array<char, 96> text{};
    std::snprintf(text.data(), text.size(), "%3d%%  %s  %s left", static_cast<int>(Percent),
                  Speed.c_str(), Left.c_str());
    return text.data();
}

std::string ProgressDisplay::PlainLine(const std::string& Label, std::int32_t Percent,
                                       double AudioSeconds, double WallSeconds) {
    std::array<char, 128> text{};
    std::snprintf(text.data(), text.size(), "%s: %d%%  %s  %s left", Label.c_str(),
                  static_cast<int>(Percent), Speed(AudioSeconds, WallSeconds).c_str(),
                  TimeLeft(Percent, WallSeconds).c_str());
    return text.data();
}

std::string ProgressDisplay::BarLine(const std::string& Label, std::int32_t Percent,
                                     const std::string& Figures, int Columns) {
    const int width = std::max(10, Columns - static_cast<int>(Label.size()) -
                                       static_cast<int>(Figures.size()) - 5);
    const int filled = std::clamp(Percent, 0, 100) * width / 100;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(static_cast<std::size_t>(width), '.');
    return Label + " [" + bar + "] " + Figures;
}

void ProgressDisplay::Update(std::int32_t Percent, double AudioSeconds) {
    if (!FEnabled) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    const double wall = std::chrono::duration<double>(now - FStart).count();
    if (!FTerminal) {
        // A line every tenth keeps a log readable.
        if (Percent / 10 != FLastPercent / 10 || (Percent == 100 && FLastPercent != 100)) {
            std::fprintf(FOut, "%s\n", PlainLine(FLabel, Percent, AudioSeconds, wall).c_str());
            std::fflush(FOut);
            FLastPercent = Percent;
        }
        return;
    }
    // Redrawing ten times a second is plenty for the eye.
    if (Percent == FLastPercent && now - FLastDraw < std::chrono::milliseconds(100)) {
        return;
    }
    FLastPercent = Percent;
    FLastDraw = now;
    const std::string line = BarLine(
        FLabel, Percent, Figures(Percent, Speed(AudioSeconds, wall), TimeLeft(Percent, wall)),
        platform::TerminalColumns(FOut));
    std::fprintf(FOut, "\r%s", line.c_str());
    std::fflush(FOut);
    FDrawn = true;
}

void ProgressDisplay::Finish() {
    if (FDrawn) {
        std::fputc('\n', FOut);
        std::fflush(FOut);
        FDrawn = false;
    }
}

} // namespace kestrune::rip
