#pragma once

#include "cdin/cd_in.h"
#include "mp3out/mp3_out.h"
#include "tests/support/disc_images.h"
#include "tests/support/event_log.h"
#include "tests/support/pump.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kestrune::test {

// An MP3 sink writing into a folder of its own, with its events recorded.
class Mp3Test : public ::testing::Test {
protected:
    Mp3Test() {
        events.Attach(*sink);
        sink->SetFileName(Output());
    }

    std::string Output(const std::string& Name = "out.mp3") const {
        return (images.Folder() / Name).string();
    }

    // A CD source on one image, pointed at Track.
    static ComponentPtr<TCDIn> Cd(const std::string& Cue, std::int32_t Track) {
        UseDrives({Cue});
        auto cd = MakeComponent<TCDIn>();
        cd->SetStartTrack(Track);
        cd->SetEndTrack(Track);
        return cd;
    }

    // Starts the sink on Source and waits for the run to end either way.
    void Run(TAudioInput& Source) {
        sink->SetInput(&Source);
        const int doneBefore = events.Done();
        const auto errorsBefore = events.Errors().size();
        sink->Start();
        ASSERT_TRUE(PumpUntil(
            [&] { return events.Done() > doneBefore || events.Errors().size() > errorsBefore; }));
    }

    DiscImages images;
    EventLog events;
    ComponentPtr<TMP3Out> sink = MakeComponent<TMP3Out>();
};

} // namespace kestrune::test
