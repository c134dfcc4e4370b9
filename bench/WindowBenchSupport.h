#pragma once

// Window benchmarks measure a window that is really on screen.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>

namespace orbisk::bench {

// Shows window and serves events until its platform window is exposed, for at
// most five seconds.
inline void ShowAndWaitExposed(QWidget& window)
{
    window.show();
    QElapsedTimer wait;
    wait.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && wait.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

} // namespace orbisk::bench
