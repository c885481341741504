#include "tests/support/test_sink.h"

#include "pipeline/audio_exception.h"

namespace kestrune::test {

void TTestSink::OpenOutput() {
    ++OpenCalls;
    if (FailOpen) {
        throw EAudioException("test sink cannot open");
    }
    Input()->OpenSource();
}

bool TTestSink::WriteNextBlock() {
    ++WriteCalls;
    const std::int32_t count = ReadInput(FBlock);
    if (count == 0) {
        return false;
    }
    {
        const std::lock_guard lock(FReceivedMutex);
        FReceived.insert(FReceived.end(), FBlock.begin(), FBlock.begin() + count);
    }
    if (AfterBlock) {
        AfterBlock();
    }
    return true;
}

void TTestSink::CloseOutput() {
    ++CloseCalls;
    CloseThread = std::this_thread::get_id();
    CloseInput();
}

} // namespace kestrune::test
