#pragma once

#include "fixtures/PaintedIcon.h"
#include "core/ScanEngine.h"
#include "platform/pixels/IconHandle.h"
#include "ui/MainForm.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace orbisk::test {


// Runs steps on the modal dialog of type T once it is up (from inside its
// own event loop). If that dialog is still up afterwards it is cancelled, so
// a failed step fails the test instead of leaving it waiting.
template <typename T>
void WhenShown(std::function<void(T*)> steps, bool* shown = nullptr)
{
    QTimer::singleShot(0, [steps, shown] {
        QPointer<T> dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (shown)
            *shown = dialog != nullptr;
        if (dialog)
            steps(dialog);
        if (dialog && dialog->isVisible())
            dialog->reject();
    });
}

// Runs steps once, from the event loop, as soon as ready() holds; looks every
// few milliseconds, for at most ten seconds.
inline void WhenReady(std::function<bool()> ready, std::function<void()> steps)
{
    auto* timer = new QTimer;
    timer->setInterval(2);
    auto deadline = std::make_shared<QDeadlineTimer>(10000);
    QObject::connect(timer, &QTimer::timeout, [timer, ready, steps, deadline] {
        if (!ready() && !deadline->hasExpired())
            return;
        timer->stop();
        timer->deleteLater();
        if (!deadline->hasExpired())
            steps();
    });
    timer->start();
}

// A main window with its settings in a folder of its own, whose message
// boxes are taken instead of shown (questions get answer).
class WindowFixture {
public:
    std::unique_ptr<QTemporaryDir> dir;
    QPointer<TMainFrm> frm;
    QList<MessageRequest> boxes;
    MessageAnswer answer = MessageAnswer::Yes;

    void Init()
    {
        dir = std::make_unique<QTemporaryDir>();
        boxes.clear();
        answer = MessageAnswer::Yes;
        SetMessageBoxHook([this](MessageRequest& r) {
            // The folder browser's offer to create the folder: Yes, uncounted.
            if (r.kind == MessageKind::Confirm)
                return;
            boxes << r;
            if (r.kind == MessageKind::Question)
                r.answer = answer;
        });
        frm = new TMainFrm(SettingsLocation { dir->path().toStdString(), dir->filePath("config").toStdString() });
        frm->show();
    }
    void Cleanup()
    {
        delete frm.data();
        SetMessageBoxHook({});
    }
    std::string Path(const char* name) const { return dir->filePath(QLatin1String(name)).toStdString(); }
    TIconList& Icons() const { return frm->Engine()->Icons(); }
    QAction* Command(const char* name) const { return frm->findChild<QAction*>(QLatin1String(name)); }

    // Scans the one file `name` in the folder, which holds `count` icons.
    bool ScanFile(const char* name, int count)
    {
        const std::string path = Path(name);
        QFile(QString::fromStdString(path)).open(QIODevice::WriteOnly);
        frm->Engine()->SetHooks({ [count](const std::string&, int n) -> HICON {
                                     return n < count ? SolidIcon(0xff000000u | uint32_t(n * 40) << 8) : nullptr;
                                 },
                                  {} });
        frm->BeginScan(path, true);
        return frm->Engine()->WaitForScan(std::chrono::seconds(20)) && Icons().size() == std::size_t(count);
    }
};

} // namespace orbisk::test
