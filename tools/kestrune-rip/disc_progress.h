#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace kestrune::rip {

// How several tracks ripped at once go. On a terminal a block of lines that
// redraws in place: one per track under way and a total; otherwise a line per
// track at every tenth, and one for the total, with the same figures. The
// total's speed and time left come from the last seconds' rate, so re-reads
// of a worn disc show at once.
class DiscProgress {
public:
    struct TrackState {
        std::string Label;
        std::int32_t Percent = 0;
        double AudioSeconds = 0; // done so far
        double WallSeconds = 0;  // since the track began
    };

    DiscProgress(std::FILE* AOut, bool AEnabled, double ATotalSeconds);

    // The tracks under way, and the seconds of audio done over the whole run.
    void Update(const std::vector<TrackState>& Tracks, double DoneSeconds);
    // Takes the block off the terminal, so that a line can be written under
    // what was there; the next Update draws it again.
    void Clear();

    // Seconds of audio a wall second over the samples' span; 0 until there
    // are two of them.
    static double RecentRate(const std::deque<std::pair<double, double>>& Samples);

private:
    void DrawBlock(const std::vector<TrackState>& Tracks, double DoneSeconds, double Rate);
    void WriteLines(const std::vector<TrackState>& Tracks, double DoneSeconds, double Rate);
    std::string TotalFigures(double DoneSeconds, double Rate) const;

    std::FILE* FOut;
    bool FEnabled;
    bool FTerminal;
    double FTotalSeconds;
    int FDrawnLines = 0;
    std::chrono::steady_clock::time_point FStart = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point FLastDraw{};
    // (wall seconds, audio seconds done) of the last ten seconds.
    std::deque<std::pair<double, double>> FSamples;
    std::map<std::string, std::int32_t> FLastTenth;
    std::int32_t FLastTotalTenth = -1;
};

} // namespace kestrune::rip
