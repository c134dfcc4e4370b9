#include "platform/pixels/Display.h"

#include <QGuiApplication>
#include <QScreen>
#include <QThread>

#include <atomic>

namespace orbisk {

namespace {
std::atomic<int> displayBitsOverride { 0 };
// The screen's depth as first read on the window thread; 0 until then.
std::atomic<int> screenBits { 0 };
}

int DisplayBitsPerPixel()
{
    if (int bits = displayBitsOverride.load(std::memory_order_relaxed))
        return bits;
    if (int bits = screenBits.load(std::memory_order_relaxed))
        return bits;
    // Only the window thread may ask the screen. What it finds is kept, so a
    // worker (the batch save) sees the depth the window saw; before that,
    // and without a screen at all, the usual true-colour depth is assumed.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())
        && QThread::currentThread() == QCoreApplication::instance()->thread()) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            screenBits.store(screen->depth(), std::memory_order_relaxed);
            return screen->depth();
        }
    }
    return 32;
}

void SetDisplayBitsPerPixel(int bits) { displayBitsOverride.store(bits, std::memory_order_relaxed); }

} // namespace orbisk
