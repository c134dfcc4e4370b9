#include "app/FirstPaintReport.h"

#include "shell/controls/ShellListModel.h"
#include "shell/controls/TStShellListView.h"
#include "shell/controls/TStShellTreeView.h"
#include "ui/MainForm.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

#include <cstdio>
#include <ctime>

namespace orbisk {

namespace {

// Watches the paints of the window: the first paint of the file list with
// rows in it, after the tree has made its start-up selection, is part of the
// window's first full paint (or of the one the fill asked for); the clock is
// read once that paint is over.
class FirstPaintWatch : public QObject {
public:
    explicit FirstPaintWatch(TMainFrm& frm)
        : QObject(&frm)
        , frm_(&frm)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !reported_ && frm_ && Filled(watched)) {
            reported_ = true;
            QMetaObject::invokeMethod(this, [] { Report(); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool Filled(QObject* watched) const
    {
        const TStShellListView* list = frm_->ShellList();
        const TStShellTreeView* tree = frm_->ShellTree();
        return watched == list->View()->viewport() && tree->Initialised() && tree->SelectedFolder()
            && list->CurrentFolder() && list->Model()->rowCount() > 0;
    }

    static void Report()
    {
        timespec now {};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("%.3f\n", double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }

    QPointer<TMainFrm> frm_;
    bool reported_ = false;
};

} // namespace

void ReportFirstPaintIfAsked(TMainFrm& frm)
{
    if (qEnvironmentVariableIsSet("ORBISK_FIRST_PAINT_REPORT"))
        QCoreApplication::instance()->installEventFilter(new FirstPaintWatch(frm));
}

} // namespace orbisk
