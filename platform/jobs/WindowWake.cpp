#include "platform/jobs/WindowWake.h"

#include <QCoreApplication>
#include <QObject>

namespace orbisk {

WindowWake::WindowWake(std::function<void()> onWake)
    : onWake_(std::move(onWake))
{
    if (QCoreApplication::instance())
        receiver_ = std::make_unique<QObject>();
}

// Queued calls still waiting for the receiver go with it.
WindowWake::~WindowWake() = default;

void WindowWake::Signal()
{
    if (!receiver_ || pending_.exchange(true))
        return;
    QMetaObject::invokeMethod(
        receiver_.get(),
        [this] {
            pending_.store(false);
            if (onWake_)
                onWake_();
        },
        Qt::QueuedConnection);
}

} // namespace orbisk
