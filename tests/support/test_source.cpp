#include "tests/support/test_source.h"

#include "pipeline/audio_exception.h"

#include <algorithm>

namespace kestrune::test {

std::int32_t TTestSource::ReadBlock(std::span<std::byte> Buffer) {
    if (!Busy()) {
        throw EAudioException("test source is not open");
    }
    if (ReadGate != nullptr) {
        ReadGate->Pass();
    }
    const std::int32_t at = Position();
    if (FailAtPosition >= 0 && at >= FailAtPosition) {
        throw EAudioException("test source failed at " + std::to_string(at));
    }
    const auto count =
        std::min<std::int32_t>(static_cast<std::int32_t>(Buffer.size()), TotalBytes - at);
    for (std::int32_t i = 0; i < count; ++i) {
        Buffer[static_cast<std::size_t>(i)] = PatternAt(at + i);
    }
    FPosition += count;
    return count;
}

void TTestSource::OpenSource() {
    ++Opens;
    if (FailOpen) {
        throw EAudioException("test source cannot open");
    }
    FSize = KnowsSize ? TotalBytes : -1;
    FPosition = 0;
    FBusy = true;
}

void TTestSource::CloseSource() {
    ++Closes;
    if (FailClose) {
        throw EAudioException("test source cannot close");
    }
    FBusy = false;
    FSize = 0;
}

} // namespace kestrune::test
