#pragma once

#include "pipeline/audio_output.h"
#include "platform/main_thread.h"

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kestrune::test {

// Records what a sink reports, and on which thread.
class EventLog {
public:
    void Attach(TAudioOutput& Sink) {
        Sink.SetOnProgress([this](TComponent& Sender) {
            const int percent = static_cast<TAudioOutput&>(Sender).Progress();
            const std::lock_guard lock(FMutex);
            FProgress.push_back(percent);
            FProgressThreads.push_back(std::this_thread::get_id());
        });
        Sink.SetOnDone([this](TComponent&) {
            const std::lock_guard lock(FMutex);
            ++FDone;
            FDoneThreads.push_back(std::this_thread::get_id());
        });
        Sink.SetOnThreadException([this](TComponent&, const std::exception& E) {
            {
                const std::lock_guard lock(FMutex);
                FErrors.emplace_back(E.what());
                FErrorThreads.push_back(std::this_thread::get_id());
            }
            platform::WakeMainThread();
        });
    }

    std::vector<int> Progress() const { return Locked(FProgress); }
    int Done() const { return Locked(FDone); }
    std::vector<std::string> Errors() const { return Locked(FErrors); }
    std::vector<std::thread::id> ProgressThreads() const { return Locked(FProgressThreads); }
    std::vector<std::thread::id> DoneThreads() const { return Locked(FDoneThreads); }
    std::vector<std::thread::id> ErrorThreads() const { return Locked(FErrorThreads); }
    void ClearProgress() {
        const std::lock_guard lock(FMutex);
        FProgress.clear();
    }

private:
    template <class T> T Locked(const T& value) const {
        const std::lock_guard lock(FMutex);
        return value;
    }

    mutable std::mutex FMutex;
    std::vector<int> FProgress;
    int FDone = 0;
    std::vector<std::string> FErrors;
    std::vector<std::thread::id> FProgressThreads;
    std::vector<std::thread::id> FDoneThreads;
    std::vector<std::thread::id> FErrorThreads;
};

} // namespace kestrune::test
