#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace kestrune::rip {

// "Track 03": what a track's progress lines, and its lines in the log, begin with.
std::string TrackLabel(std::int32_t Number);

// Shows how a rip goes: on a terminal a bar that redraws in place with the
// percentage, the speed against real time and the time left; otherwise a line
// every ten percent, for logs and scripts.
class ProgressDisplay {
public:
    ProgressDisplay(std::FILE* AOut, std::string ALabel, bool AEnabled);

    // Percent done, and the seconds of audio done so far.
    void Update(std::int32_t Percent, double AudioSeconds);
    // Ends the bar's line.
    void Finish();

    // "3.2x", "1:05" and the like, for the pieces of the line.
    static std::string Speed(double AudioSeconds, double WallSeconds);
    static std::string Clock(double Seconds);
    // The time left when Percent took WallSeconds.
    static std::string TimeLeft(std::int32_t Percent, double WallSeconds);
    // " 45%  24.1x  1:05 left"
    static std::string Figures(std::int32_t Percent, const std::string& Speed,
                               const std::string& Left);
    // "Label: 40%  24.1x  0:12 left", for a log.
    static std::string PlainLine(const std::string& Label, std::int32_t Percent,
                                 double AudioSeconds, double WallSeconds);
    // "Label [#####.....] figures", as wide as Columns.
    static std::string BarLine(const std::string& Label, std::int32_t Percent,
                               const std::string& Figures, int Columns);

private:
    std::FILE* FOut;
    std::string FLabel;
    bool FEnabled;
    bool FTerminal;
    std::int32_t FLastPercent = -1;
    bool FDrawn = false;
    std::chrono::steady_clock::time_point FStart = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point FLastDraw{};
};

} // namespace kestrune::rip
