#pragma once

#include "cdin/cd_in.h"
#include "pipeline/audio_exception.h"
#include "tests/support/disc_images.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace kestrune::test {

class CDInTest : public ::testing::Test {
protected:
    // A CD source on these drives, with drive 0 chosen.
    ComponentPtr<TCDIn> Source(const std::vector<std::string>& Drives) {
        UseDrives(Drives);
        return MakeComponent<TCDIn>();
    }

    static std::string MessageOf(const std::function<void()>& Action) {
        try {
            Action();
        } catch (const EAudioException& e) {
            return e.what();
        }
        return "no exception";
    }

    DiscImages images;
};

} // namespace kestrune::test
