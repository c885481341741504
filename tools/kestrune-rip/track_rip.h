#pragma once

#include "cdin/cd_deemphasis.h"
#include "cdin/cd_in.h"
#include "mp3out/mp3_out.h"
#include "tools/kestrune-rip/loudness_meter.h"
#include "tools/kestrune-rip/progress_display.h"
#include "tools/kestrune-rip/rip_options.h"
#include "tools/kestrune-rip/track_checksums.h"
#include "tools/kestrune-rip/track_tags.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kestrune::rip {

// NotStarted: the user asked to stop before the rip began; no file was touched.
enum class RipOutcome { Written, Stopped, Failed, NotStarted };

// Where a rip writes: the file it names, or standard output with the name as its label.
enum class RipDestination { NamedFile, StandardOutput };

struct RipResult {
    RipOutcome Outcome = RipOutcome::Failed;
    std::string Error;        // the component's message when Failed
    TrackChecksums Checksums; // of the disc's audio, when Written
    // The sectors the drive could not read, written as silence (ascending).
    std::vector<std::int32_t> Unreadable;
};

// A CD source, the checksums, the de-emphasis stage and an MP3 sink set up from the options,
// ripping one track after another. The sink's handlers point here, so the sink (and its worker)
// goes before the state they use.
class TrackRipper {
public:
    // Raises the components' errors (a library that cannot be loaded, say) and
    // std::invalid_argument for a drive the reading library does not have.
    explicit TrackRipper(const RipOptions& Options);

    TCDIn& Cd() { return *FCd; }

    // Rips Track into Output, running the main-thread calls until the run ends.
    // Ctrl-C stops the run; the file is then finished as far as it got (and
    // reported written when the stop came after the whole track was read).
    // Place says where the track lies on the disc, for the checksums' ends.
    [[nodiscard]] RipResult Rip(std::int32_t Track, const std::string& Output,
                                const TrackTags& Tags, ProgressDisplay& Display,
                                RipDestination Destination = RipDestination::NamedFile,
                                const TrackPlace& Place = {});

private:
    bool Failed();
    double AudioSeconds() const;

    std::mutex FErrorMutex;
    std::optional<std::string> FError;
    bool FDone = false;
    ProgressDisplay* FDisplay = nullptr;
    ComponentPtr<TCDIn> FCd;
    ComponentPtr<TTrackChecksums> FChecksums;
    ComponentPtr<TCDDeemphasis> FStage;
    ComponentPtr<TLoudnessMeter> FMeter;
    ComponentPtr<TMP3Out> FSink;
};

// Gives the sink the encoder settings of Options.
void ConfigureSink(TMP3Out& Sink, const RipOptions& Options);
// Gives the sink the tags of its next file: the version 1 tag's texts, and a
// version 2.4 tag written into the file before it is put in place, with the
// track's ReplayGain as Meter measured it on the way.
void ApplyTags(TMP3Out& Sink, const TrackTags& Tags, const TLoudnessMeter& Meter);

} // namespace kestrune::rip
