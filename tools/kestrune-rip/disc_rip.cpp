#include "tools/kestrune-rip/disc_rip.h"

#include "cdin/cd_format.h"
#include "pipeline/audio_exception.h"
#include "platform/interrupt.h"
#include "platform/main_thread.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace kestrune::rip {

namespace {

double SecondsOf(std::int64_t Bytes) {
    return static_cast<double>(Bytes) / static_cast<double>(TCDIn::ChunkBytes);
}

double TotalSeconds(const std::vector<PlannedTrack>& Plan) {
    std::int64_t sectors = 0;
    for (const PlannedTrack& planned : Plan) {
        sectors += planned.Track.Sectors;
    }
    return SecondsOf(sectors * CDSectorBytes);
}

} // namespace

DiscRip::DiscRip(TCDIn& ACd, const RipOptions& AOptions, const std::vector<PlannedTrack>& Plan)
    : FCd(ACd), FOptions(AOptions), FDisplay(stderr, !AOptions.Quiet, TotalSeconds(Plan)) {
    for (const PlannedTrack& planned : Plan) {
        MakeJob(planned);
    }
}

DiscRip::~DiscRip() {
    FBudget.Cancel();
    FReader.request_stop();
    // A sink still under way (the run ended by an exception) must not wait
    // for audio that no longer comes.
    for (const auto& job : FJobs) {
        job->Feed->EndEarly();
    }
    // The reader may be waiting for the main thread to open the drive.
    if (FReader.joinable()) {
        platform::WaitOnMainThread([this] { return FReaderDone.load(); });
    }
}

void DiscRip::MakeJob(const PlannedTrack& Planned) {
    auto job = std::make_unique<Job>();
    Job* const self = job.get();
    const DiscTrack& Track = Planned.Track;
    job->Track = Track;
    job->Output = Planned.Output;
    job->Bytes = Track.Sectors * CDSectorBytes;
    // Asked now: once the reading runs, the library serves its reader first.
    const bool readsOutput = FCd.ReadsFile(job->Output);
    job->Feed = MakeComponent<TTrackFeed>(job->Bytes, Track.Flag, FBudget, readsOutput);
    job->Checksums = MakeComponent<TTrackChecksums>();
    job->Checksums->SetInput(job->Feed.get());
    job->Checksums->SetPlace(Planned.Place);
    job->Filter = MakeComponent<TCDDeemphasis>();
    job->Filter->SetKeepEmphasis(FOptions.KeepEmphasis);
    job->Filter->SetInput(job->Checksums.get());
    job->Meter = MakeComponent<TLoudnessMeter>();
    job->Meter->SetInput(job->Filter.get());
    job->Sink = MakeComponent<TMP3Out>();
    ConfigureSink(*job->Sink, FOptions);
    job->Sink->SetInput(job->Meter.get());
    job->Sink->SetFileName(job->Output);
    ApplyTags(*job->Sink, Planned.Tags, *job->Meter);
    job->Sink->SetOnDone([self](TComponent&) {
        self->Done = true;
        platform::WakeMainThread();
    });
    job->Sink->SetOnProgress([](TComponent&) { platform::WakeMainThread(); });
    // Runs on the sink's worker, or on this thread when the start fails.
    job->Sink->SetOnThreadException([self](TComponent&, const std::exception& E) {
        {
            const std::lock_guard lock(self->ErrorLock);
            self->Error = E.what();
        }
        platform::WakeMainThread();
    });
    FJobs.push_back(std::move(job));
}

void DiscRip::Read(const std::stop_token& Stop) {
    std::size_t next = 0;
    while (next < FJobs.size() && !Stop.stop_requested()) {
        next = ReadRun(next, Stop);
    }
    FReaderDone = true;
    platform::WakeMainThread();
}

std::size_t DiscRip::ReadRun(std::size_t First, const std::stop_token& Stop) {
    std::size_t last = First;
    while (last + 1 < FJobs.size() &&
           FJobs[last + 1]->Track.Position == FJobs[last]->Track.Position + 1) {
        ++last;
    }
    try {
        platform::RunOnMainThread([&] {
            FCd.SetStartTrack(FJobs[First]->Track.Position);
            FCd.SetEndTrack(FJobs[last]->Track.Position);
            FCd.OpenSource();
        });
    } catch (const std::exception& e) {
        FJobs[First]->Feed->Fail(e.what());
        return First + 1;
    }
    std::vector<std::byte> buffer(TCDIn::ChunkBytes);
    std::size_t at = First;
    std::int32_t sector = FJobs[First]->Track.Start;
    for (; at <= last && !Stop.stop_requested(); ++at) {
        Job& job = *FJobs[at];
        std::int32_t left = job.Bytes;
        const std::int32_t jobStart = sector;
        sector += job.Bytes / CDSectorBytes;
        bool wanted = true;
        try {
            while (left > 0 && !Stop.stop_requested()) {
                const auto ask = static_cast<std::size_t>(std::min(left, TCDIn::ChunkBytes));
                const std::size_t known = FCd.UnreadableSectors().size();
                const std::int32_t got = FCd.ReadBlock(std::span(buffer).first(ask));
                if (got <= 0) {
                    throw EAudioException("The disc ended inside track " +
                                          std::to_string(job.Track.Number));
                }
                // Before the track's audio goes on: its end may follow at once.
                if (FCd.UnreadableSectors().size() != known) {
                    NoteUnreadable(job, jobStart, sector);
                }
                // A track nobody reads any more (its sink failed) is read on
                // all the same: the next one follows it on the disc.
                wanted =
                    wanted && job.Feed->Put(std::span(buffer).first(static_cast<std::size_t>(got)));
                left -= got;
            }
        } catch (const std::exception& e) {
            job.Feed->Fail(e.what());
            ++at;
            break;
        }
    }
    FCd.CloseSource();
    return at;
}

void DiscRip::NoteUnreadable(Job& AJob, std::int32_t First, std::int32_t End) {
    std::vector<std::int32_t> sectors;
    std::copy_if(FCd.UnreadableSectors().begin(), FCd.UnreadableSectors().end(),
                 std::back_inserter(sectors),
                 [&](std::int32_t Sector) { return Sector >= First && Sector < End; });
    const std::lock_guard lock(AJob.ErrorLock);
    AJob.Unreadable = std::move(sectors);
}

bool DiscRip::JobFailed(Job& AJob) {
    const std::lock_guard lock(AJob.ErrorLock);
    return AJob.Error.has_value();
}

void DiscRip::StartWaiting(unsigned Workers) {
    unsigned running = 0;
    for (const auto& job : FJobs) {
        running += job->Stage == JobStage::Running ? 1 : 0;
    }
    for (const auto& job : FJobs) {
        if (running >= Workers) {
            return;
        }
        if (job->Stage != JobStage::Waiting) {
            continue;
        }
        job->Stage = JobStage::Running;
        job->Began = std::chrono::steady_clock::now();
        job->Sink->Start();
        ++running;
    }
}

void DiscRip::EndFinished(const TrackEnded& Ended) {
    for (const auto& job : FJobs) {
        const bool waitingAtStop = FStopping && job->Stage == JobStage::Waiting;
        const bool finished = job->Stage == JobStage::Running && (job->Done || JobFailed(*job));
        if (!waitingAtStop && !finished) {
            continue;
        }
        job->Stage = JobStage::Ended;
        // What the reader still hands this track is dropped from now on.
        job->Feed->CloseSource();
        RipResult result;
        if (waitingAtStop) {
            result.Outcome = RipOutcome::NotStarted;
        } else if (JobFailed(*job)) {
            const std::lock_guard lock(job->ErrorLock);
            result = {RipOutcome::Failed, *job->Error, {}, {}};
        } else {
            const bool whole = job->Feed->Position() >= job->Bytes;
            result.Outcome = job->Stopped && !whole ? RipOutcome::Stopped : RipOutcome::Written;
            job->Whole = result.Outcome == RipOutcome::Written;
            result.Checksums = job->Checksums->Checksums();
            const std::lock_guard lock(job->ErrorLock);
            result.Unreadable = job->Unreadable;
        }
        FDisplay.Clear();
        Ended(job->Track, job->Output, result);
    }
}

void DiscRip::StopAll() {
    FStopping = true;
    FReader.request_stop();
    FBudget.Cancel();
    for (const auto& job : FJobs) {
        if (job->Stage == JobStage::Running) {
            job->Stopped = true;
            job->Sink->Stop();
            job->Feed->EndEarly();
        }
    }
}

bool DiscRip::Changed() {
    if (platform::InterruptRequested() && !FStopping) {
        return true;
    }
    return std::any_of(FJobs.begin(), FJobs.end(), [this](const auto& job) {
        return job->Stage == JobStage::Running && (job->Done || JobFailed(*job));
    });
}

void DiscRip::ShowProgress() {
    std::vector<DiscProgress::TrackState> states;
    std::int64_t done = 0;
    const auto now = std::chrono::steady_clock::now();
    for (const auto& job : FJobs) {
        if (job->Stage == JobStage::Ended) {
            done += job->Bytes;
        } else if (job->Stage == JobStage::Running) {
            const std::int32_t position = job->Feed->Position();
            done += position;
            // The sink's own figure would wait for its read to finish, and
            // that read may wait for this thread to open the drive.
            const auto percent = static_cast<std::int32_t>(
                job->Bytes > 0 ? std::int64_t{position} * 100 / job->Bytes : 100);
            states.push_back({TrackLabel(job->Track.Number), percent, SecondsOf(position),
                              std::chrono::duration<double>(now - job->Began).count()});
        }
    }
    FDisplay.Update(states, SecondsOf(done));
}

void DiscRip::Run(const TrackEnded& Ended) {
    const unsigned workers = std::max(1U, std::thread::hardware_concurrency());
    if (platform::InterruptRequested()) {
        FStopping = true;
    } else {
        FReader = std::jthread([this](const std::stop_token& Stop) { Read(Stop); });
    }
    for (;;) {
        if (!FStopping && platform::InterruptRequested()) {
            StopAll();
        }
        // Ended first: a track that has just finished frees its place for
        // the next one in this same turn.
        EndFinished(Ended);
        if (!FStopping) {
            StartWaiting(workers);
        }
        const bool over = std::all_of(FJobs.begin(), FJobs.end(), [](const auto& job) {
            return job->Stage == JobStage::Ended;
        });
        if (over) {
            break;
        }
        ShowProgress();
        // Progress events wake the loop as the rips go.
        (void)platform::WaitOnMainThreadFor([this] { return Changed(); },
                                            std::chrono::milliseconds(250));
    }
    FDisplay.Clear();
    FBudget.Cancel();
    if (FReader.joinable()) {
        FReader.request_stop();
        platform::WaitOnMainThread([this] { return FReaderDone.load(); });
        FReader.join();
    }
}

std::vector<std::pair<std::string, const TLoudnessMeter*>> DiscRip::Written() const {
    std::vector<std::pair<std::string, const TLoudnessMeter*>> written;
    for (const auto& job : FJobs) {
        if (job->Whole) {
            written.emplace_back(job->Output, job->Meter.get());
        }
    }
    return written;
}

} // namespace kestrune::rip
