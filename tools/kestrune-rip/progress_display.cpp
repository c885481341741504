#include "tools/kestrune-rip/progress_display.h"

#include "platform/terminal.h"

#include <algorithm>
#include <cmath>

namespace kestrune::rip {

ProgressDisplay::ProgressDisplay(std::FILE* AOut, std::string ALabel, bool AEnabled)
    : FOut(AOut), FLabel(std::move(ALabel)), FEnabled(AEnabled),
      FTerminal(platform::IsTerminal(AOut)) {}

std::string ProgressDisplay::Speed(double AudioSeconds, double WallSeconds) {
    if (WallSeconds <= 0 || AudioSeconds <= 0) {
        return "-";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1fx", AudioSeconds / WallSeconds);
    return text;
}

std::string ProgressDisplay::Clock(double Seconds) {
    const auto whole = static_cast<long>(std::lround(std::max(0.0, Seconds)));
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

void ProgressDisplay::Update(std::int32_t Percent, double AudioSeconds) {
    if (!FEnabled) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!FTerminal) {
        // A line every tenth keeps a log readable.
        if (Percent / 10 != FLastPercent / 10 || (Percent == 100 && FLastPercent != 100)) {
            std::fprintf(FOut, "%s: %d%%\n", FLabel.c_str(), static_cast<int>(Percent));
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
    const double wall = std::chrono::duration<double>(now - FStart).count();
    const std::string speed = Speed(AudioSeconds, wall);
    std::string left = "-";
    if (Percent > 0 && Percent < 100) {
        left = Clock(wall * (100.0 - Percent) / Percent);
    } else if (Percent >= 100) {
        left = Clock(0);
    }
    char tail[96];
    std::snprintf(tail, sizeof tail, " %3d%%  %s  %s left", static_cast<int>(Percent),
                  speed.c_str(), left.c_str());
    const int columns = platform::TerminalColumns(FOut);
    const int width = std::max(10, columns - static_cast<int>(FLabel.size()) -
                                       static_cast<int>(std::string_view(tail).size()) - 4);
    const int filled = std::clamp(Percent, 0, 100) * width / 100;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(static_cast<std::size_t>(width), '.');
    std::fprintf(FOut, "\r%s [%s]%s", FLabel.c_str(), bar.c_str(), tail);
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
