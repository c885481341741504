#pragma once

#include "discread.h"
#include "tests/support/disc_images.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kestrune::test {

// The reading library over one disc image, called as its users call it.
class ImageTest : public ::testing::Test {
protected:
    void TearDown() override { DR_DeInit(); }

    // Makes Disc the only drive; returns DR_ReadToc's code.
    std::int32_t Load(const std::string& Sheet) {
        UseDrives({Sheet});
        DR_Init(nullptr);
        return DR_ReadToc();
    }

    static std::string LastError() {
        std::vector<char> text(static_cast<std::size_t>(DR_GetLastErrorText(nullptr, 0)) + 1);
        DR_GetLastErrorText(text.data(), static_cast<std::int32_t>(text.size()));
        return text.data();
    }

    // The bytes of [First, End) as DR_RipChunk delivers them; Error gets the
    // code that ended the reading and Why, when given, its text.
    static std::vector<std::uint8_t> Rip(std::int32_t First, std::int32_t End, std::int32_t& Error,
                                         std::string* Why = nullptr) {
        std::int32_t chunk = 176400;
        std::vector<std::uint8_t> all;
        Error = DR_OpenRipper(&chunk, First, End);
        std::vector<std::uint8_t> buffer(176400);
        while (Error == DR_OK) {
            std::int32_t bytes = 0;
            std::int32_t abort = 0;
            Error = DR_RipChunk(buffer.data(), &bytes, &abort);
            if (bytes == 0) {
                break;
            }
            all.insert(all.end(), buffer.begin(), buffer.begin() + bytes);
        }
        if (Why != nullptr) {
            *Why = LastError();
        }
        DR_CloseRipper();
        return all;
    }

    // Checks the table and the exact bytes of every track against Disc.
    void ExpectDisc(const mkdisc::DiscSpec& Disc) {
        ASSERT_EQ(DR_GetNumTocEntries(), static_cast<std::int32_t>(Disc.Tracks.size()));
        for (std::size_t i = 0; i < Disc.Tracks.size(); ++i) {
            const auto& written = Disc.Tracks[i];
            const TTocEntry entry = DR_GetTocEntry(static_cast<std::int32_t>(i));
            const TTocEntry next = DR_GetTocEntry(static_cast<std::int32_t>(i + 1));
            const std::uint8_t flag = 0x10 | (written.Data ? 0x04 : 0) |
                                      (written.CopyPermitted ? 0x02 : 0) |
                                      (written.PreEmphasis ? 0x01 : 0);
            EXPECT_EQ(entry.TrackNumber, Disc.FirstTrack + static_cast<int>(i)) << i;
            EXPECT_EQ(entry.StartSector, mkdisc::TrackStart(Disc, i)) << i;
            EXPECT_EQ(entry.Flag, flag) << i;
            // Stored or silent, the pregap is the sectors before INDEX 01.
            EXPECT_EQ(DR_GetTrackPregap(static_cast<std::int32_t>(i)),
                      written.PregapSectors + written.GapSectors)
                << "the pregap of track " << i + 1;
            std::int32_t error = -1;
            const auto bytes = Rip(entry.StartSector, next.StartSector, error);
            EXPECT_EQ(error, DR_OK) << LastError();
            EXPECT_TRUE(bytes == mkdisc::TrackBytes(Disc, i)) << "the bytes of track " << i + 1;
        }
        EXPECT_EQ(DR_GetTocEntry(static_cast<std::int32_t>(Disc.Tracks.size())).TrackNumber, 0xAA);
        EXPECT_EQ(DR_GetTrackPregap(static_cast<std::int32_t>(Disc.Tracks.size())), -1)
            << "the lead-out has no pregap";
    }

    DiscImages images;
};

} // namespace kestrune::test
