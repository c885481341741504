#pragma once

#include "cdin/cd_deemphasis.h"
#include "cdin/cd_in.h"
#include "cdin/feed_budget.h"
#include "cdin/track_feed.h"
#include "mp3out/mp3_out.h"
#include "tools/kestrune-rip/disc_progress.h"
#include "tools/kestrune-rip/disc_table.h"
#include "tools/kestrune-rip/rip_options.h"
#include "tools/kestrune-rip/rip_plan.h"
#include "tools/kestrune-rip/track_rip.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace kestrune::rip {

// Rips tracks of a drive in one continuous read, in track order: a drive that
// seeks between tracks, or waits while a track is encoded, reads slower. A
// reader thread hands each track's audio to a feed of its own; each track is
// encoded by a sink of its own, as many at once as there are cores, in track
// order. The feeds share a fixed budget of memory, so the reader waits when
// the encoders are behind.
//
// A sector the drive cannot read is silence in its track, which is called
// damaged (unless the options say to stop on errors: then the track fails
// alone, and the reading goes on at the next track). Ctrl-C stops the reading and every sink under
// way, each of which finishes its file as far as it got.
class DiscRip {
public:
    using TrackEnded =
        std::function<void(const DiscTrack&, const std::string& Output, const RipResult&)>;

    DiscRip(TCDIn& ACd, const RipOptions& AOptions, const std::vector<PlannedTrack>& Plan);
    ~DiscRip();
    DiscRip(const DiscRip&) = delete;
    DiscRip& operator=(const DiscRip&) = delete;
    DiscRip(DiscRip&&) = delete;
    DiscRip& operator=(DiscRip&&) = delete;

    // Runs until every track has ended, calling Ended for each (in the order
    // they end) with the progress display cleared.
    void Run(const TrackEnded& Ended);
    // After Run: the files written whole, with the meters that measured them.
    std::vector<std::pair<std::string, const TLoudnessMeter*>> Written() const;

    // The memory the feeds may hold together: about three minutes of audio.
    static constexpr std::size_t BudgetBytes = std::size_t{32} << 20;

private:
    enum class JobStage { Waiting, Running, Ended };

    struct Job {
        DiscTrack Track;
        std::string Output;
        std::int32_t Bytes = 0;
        JobStage Stage = JobStage::Waiting;
        std::chrono::steady_clock::time_point Began;
        std::atomic<bool> Done{false};
        std::mutex ErrorLock;
        std::optional<std::string> Error;
        std::vector<std::int32_t> Unreadable; // under ErrorLock too
        bool Stopped = false;
        bool Whole = false; // written to its end
        // Declared in the order of the chain, so the sink goes first.
        ComponentPtr<TTrackFeed> Feed;
        ComponentPtr<TTrackChecksums> Checksums;
        ComponentPtr<TCDDeemphasis> Filter;
        ComponentPtr<TLoudnessMeter> Meter;
        ComponentPtr<TMP3Out> Sink;
    };

    void MakeJob(const PlannedTrack& Planned);
    void Read(const std::stop_token& Stop);
    // Reads the tracks from First on that follow each other on the disc;
    // returns the index after the last one read, or after a track that failed.
    std::size_t ReadRun(std::size_t First, const std::stop_token& Stop);
    // Keeps the sectors of [First, End) the source gave as silence with AJob.
    void NoteUnreadable(Job& AJob, std::int32_t First, std::int32_t End);
    void StartWaiting(unsigned Workers);
    void EndFinished(const TrackEnded& Ended);
    void StopAll();
    [[nodiscard]] bool Changed();
    [[nodiscard]] bool JobFailed(Job& AJob);
    void ShowProgress();

    TCDIn& FCd;
    const RipOptions& FOptions;
    FeedBudget FBudget{BudgetBytes};
    std::vector<std::unique_ptr<Job>> FJobs;
    DiscProgress FDisplay;
    std::atomic<bool> FReaderDone{false};
    bool FStopping = false;
    std::jthread FReader;
};

} // namespace kestrune::rip
