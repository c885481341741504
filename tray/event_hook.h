#pragma once

#include <QObject>

#include <functional>

namespace kestrune {

// Sees every event of one object before the object does, as an event filter;
// the hook returns true to consume the event. Removed when this goes.
class TEventHook : public QObject {
public:
    using THook = std::function<bool(QEvent& Event)>;

    TEventHook(QObject& Watched, THook Hook) : FHook(std::move(Hook)) {
        Watched.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* Event) override { return FHook(*Event); }

private:
    THook FHook;
};

} // namespace kestrune
