#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace kestrune::platform {

// Turns SIGINT, SIGTERM and SIGHUP into calls on the main thread, so a
// desktop program that its session, a terminal or a kill asks to end can end
// as its user would end it instead of in the middle of writing a file. The
// handlers are the process's while the watcher lives (one watcher at a time);
// the ones before come back when it goes.
// OnSignal runs from the event loop with the signal's number.
class QtSignalWatcher : public QObject {
public:
    explicit QtSignalWatcher(std::function<void(int Signal)> OnSignal, QObject* AParent = nullptr);
    ~QtSignalWatcher() override;
    QtSignalWatcher(const QtSignalWatcher&) = delete;
    QtSignalWatcher& operator=(const QtSignalWatcher&) = delete;
    QtSignalWatcher(QtSignalWatcher&&) = delete;
    QtSignalWatcher& operator=(QtSignalWatcher&&) = delete;

private:
    void Drain();

    std::function<void(int Signal)> FOnSignal;
    int FReadEnd = -1;
    int FWriteEnd = -1;
    std::unique_ptr<QSocketNotifier> FNotifier;
};

} // namespace kestrune::platform
