#include "pipeline/done_thread.h"

#include "platform/main_thread.h"

namespace kestrune {

void TDoneThread::Execute() {
    platform::RunOnMainThread([this] { DeliverDone(); });
}

void TDoneThread::DeliverDone() {
    if (DoneHandler) {
        DoneHandler(DoneSender);
    }
}

} // namespace kestrune
