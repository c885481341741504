#include "tools/kestrune-rip/track_rip.h"

#include "platform/interrupt.h"
#include "platform/main_thread.h"
#include "tools/kestrune-rip/id3v2_writer.h"
#include "tools/kestrune-rip/latin1_text.h"

#include <stdexcept>

namespace kestrune::rip {

void ConfigureSink(TMP3Out& Sink, const RipOptions& Options) {
    Sink.SetBitRate(Options.BitRate);
    Sink.SetQuality(Options.Quality);
    Sink.SetMode(Options.Mode);
    Sink.SetEnableVBR(Options.Vbr);
    Sink.SetVBRQuality(Options.VbrQuality);
    Sink.SetVBRMinBitrate(Options.VbrMin);
    Sink.SetVBRMaxBitrate(Options.VbrMax);
    Sink.SetWriteVBRHeader(Options.VbrHeader);
}

void ApplyTags(TMP3Out& Sink, const TrackTags& Tags, const TLoudnessMeter& Meter) {
    // The texts are UTF-8; ID3 version 1 holds Latin-1.
    Sink.SetId3TagTitle(Latin1Text(Tags.Title));
    Sink.SetId3TagArtist(Latin1Text(Tags.Artist));
    Sink.SetId3TagAlbum(Latin1Text(Tags.Album));
    Sink.SetId3TagYear(Tags.Date.substr(0, 4));
    // The track number is the version 2 tag's alone: in version 1 it would
    // cut the comment to 28 characters.
    Sink.SetId3TagComment(Latin1Text(Tags.Comment));
    Sink.SetId3TagGenre(Tags.Genre);
    Sink.SetOnBeforePlacing([Tags, &Meter, name = Sink.FileName()](const std::string& File) {
        TrackTags measured = Tags;
        measured.TrackGain = Meter.TrackGain();
        WriteId3v2Tag(File, measured, name);
    });
}

TrackRipper::TrackRipper(const RipOptions& Options)
    : FCd(MakeComponent<TCDIn>()), FChecksums(MakeComponent<TTrackChecksums>()),
      FStage(MakeComponent<TCDDeemphasis>()), FMeter(MakeComponent<TLoudnessMeter>()),
      FSink(MakeComponent<TMP3Out>()) {
    const std::int32_t drive = Options.Drive.value_or(0);
    FCd->SetCurrentDrive(drive);
    if (FCd->CurrentDrive() != drive) {
        throw std::invalid_argument("there is no drive " + std::to_string(drive));
    }
    ConfigureSink(*FSink, Options);
    FCd->SetSkipUnreadable(!Options.StopOnError);
    FCd->SetReadOffset(Options.OffsetSamples);
    FCd->SetOverread(Options.Overread);
    FChecksums->SetInput(FCd.get());
    FStage->SetInput(FChecksums.get());
    FStage->SetKeepEmphasis(Options.KeepEmphasis);
    FMeter->SetInput(FStage.get());
    FSink->SetInput(FMeter.get());
    FSink->SetOnDone([this](TComponent&) { FDone = true; });
    FSink->SetOnProgress([this](TComponent&) {
        if (FDisplay != nullptr) {
            FDisplay->Update(FSink->Progress(), AudioSeconds());
        }
    });
    // Runs on the worker, or on this thread when the start fails.
    FSink->SetOnThreadException([this](TComponent&, const std::exception& E) {
        {
            const std::lock_guard lock(FErrorMutex);
            FError = E.what();
        }
        platform::WakeMainThread();
    });
}

bool TrackRipper::Failed() {
    const std::lock_guard lock(FErrorMutex);
    return FError.has_value();
}

double TrackRipper::AudioSeconds() const {
    return FCd->Position() / static_cast<double>(TCDIn::ChunkBytes);
}

RipResult TrackRipper::Rip(std::int32_t Track, const std::string& Output, const TrackTags& Tags,
                           ProgressDisplay& Display, RipDestination Destination,
                           const TrackPlace& Place) {
    FCd->SetStartTrack(Track);
    FChecksums->SetPlace(Place);
    FCd->SetEndTrack(Track);
    FSink->SetFileName(Output);
    ApplyTags(*FSink, Tags, *FMeter);
    FSink->SetToStandardOutput(Destination == RipDestination::StandardOutput);
    FDone = false;
    {
        const std::lock_guard lock(FErrorMutex);
        FError.reset();
    }
    FDisplay = &Display;
    // A stop asked for while the settings or the disc were being read: the
    // user wants no file, so none is created, emptied or replaced.
    if (platform::InterruptRequested()) {
        FDisplay = nullptr;
        return {RipOutcome::NotStarted, {}, {}, {}};
    }

    FSink->Start();
    // What the run has to read: a stop that comes after all of it was read
    // (while the file is finished and renamed) cut nothing short.
    const std::int32_t rangeBytes = FCd->Size();
    bool stopped = false;
    while (!FDone && !Failed()) {
        // Progress events wake this loop as the rip goes; the timeout only
        // matters for a drive that is slow to deliver. Waking more often costs
        // measurable speed: the worker gets moved between cores.
        // The display is updated from those events alone: asking for the
        // progress here would wait for a block read to finish.
        platform::WaitOnMainThreadFor([this] { return FDone || Failed(); },
                                      std::chrono::milliseconds(500));
        if (platform::InterruptRequested() && !stopped) {
            FSink->Stop();
            stopped = true;
        }
    }
    Display.Finish();
    FDisplay = nullptr;

    if (Failed()) {
        const std::lock_guard lock(FErrorMutex);
        return {RipOutcome::Failed, *FError, {}, {}};
    }
    const bool whole = FCd->Position() >= rangeBytes;
    return {stopped && !whole ? RipOutcome::Stopped : RipOutcome::Written,
            {},
            FChecksums->Checksums(),
            FCd->UnreadableSectors()};
}

} // namespace kestrune::rip
