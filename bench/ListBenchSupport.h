#pragma once

// Helpers shared by the file list benchmarks: the list as the main window
// sets it up, and waiting for its view to be painted.

#include "shell/controls/ShellListModel.h"
#include "shell/controls/TStShellListView.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace orbisk::bench {

// Filtered to file-system files and folders, names and icons at once,
// hidden items shown, several rows selectable, captions read-only.
inline void ConfigureAsMainWindow(TStShellListView& list, TViewStyle style)
{
    list.SetFiltered(true);
    list.OnFilterItem = [](QObject*, TStShellItem* item, bool& accept) {
        accept = item->IsFileSystemFile() || item->IsFileSystemFolder();
    };
    list.SetOpenDialogMode(true);
    list.SetOptimization(otDisplay);
    list.SetOptions({loShowHidden});
    list.SetMultiSelect(true);
    list.SetReadOnly(true);
    list.SetViewStyle(style);
}

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) : widget_(widget) { widget->installEventFilter(this); }
    ~PaintCounter() override { widget_->removeEventFilter(this); }
    int paints = 0;

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }

    // Runs the event loop until the widget has been painted again.
    void WaitForPaint()
    {
        const int before = paints;
        while (paints == before)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }

private:
    QWidget* widget_;
};

} // namespace orbisk::bench
