#pragma once

#include <QObject>

#include <functional>
#include <utility>

namespace orbisk {

// An event filter made of a function: watches the events of the objects (or
// the application) it is installed on. The function returns true to consume
// an event.
class EventHook : public QObject {
public:
    using Filter = std::function<bool(QObject* watched, QEvent* event)>;

    EventHook(Filter filter, QObject* parent)
        : QObject(parent)
        , filter_(std::move(filter))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override { return filter_(watched, event); }

private:
    Filter filter_;
};

} // namespace orbisk
