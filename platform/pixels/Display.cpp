#include "platform/pixels/Display.h"

#include <QGuiApplication>
#include <QScreen>
#include <QThread>

namespace orbisk {

int ScreenBitsPerPixel()
{
    const auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app)
        return 32;
    Q_ASSERT_X(QThread::currentThread() == app->thread(), "ScreenBitsPerPixel", "only the window thread asks the screen");
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 32;
}

} // namespace orbisk
