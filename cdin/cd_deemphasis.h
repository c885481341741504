#pragma once

#include "cdin/cd_pass_through.h"
#include "pipeline/deemphasis_filter.h"

#include <array>
#include <vector>

namespace kestrune {

// The stage between the CD source and the sink that undoes pre-emphasis: a
// track whose table entry carries the pre-emphasis flag was mastered with its
// treble boosted and must be played (and so encoded) through the de-emphasis
// filter. Tracks without the flag, and every track while KeepEmphasis is set,
// pass through unchanged, bit for bit.
class TCDDeemphasis : public TCDPassThrough {
public:
    using TCDPassThrough::TCDPassThrough;

    bool KeepEmphasis() const { return FKeepEmphasis; }
    void SetKeepEmphasis(bool Value) { FKeepEmphasis = Value; }
    // Whether the open reading is being de-emphasised.
    bool Filtering() const { return FFiltering; }

    std::int32_t ReadBlock(std::span<std::byte> Buffer) override;
    void OpenSource() override;
    void CloseSource() override;

private:
    bool FKeepEmphasis = false;
    bool FFiltering = false;
    DeemphasisFilter FFilter;
    // A byte of a sample whose other byte has not come yet.
    std::vector<std::byte> FCarry;
};

} // namespace kestrune
