#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace orbisk {

// Turns SIGTERM (the session ending, `kill`) and SIGINT (Ctrl+C in a
// terminal) into a call on the window thread, so that the program can close
// its window as the close box does: a running scan is stopped and the
// settings are kept. A second signal ends the program at once, as if no
// handler were there, in case closing hangs.
//
// One instance at a time; the default handlers come back when it goes.
class QuitOnSignal : public QObject {
public:
    explicit QuitOnSignal(std::function<void()> quit);
    ~QuitOnSignal() override;
    QuitOnSignal(const QuitOnSignal&) = delete;
    QuitOnSignal& operator=(const QuitOnSignal&) = delete;

private:
    void Drain();

    std::function<void()> quit_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace orbisk
