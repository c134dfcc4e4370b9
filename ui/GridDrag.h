#pragma once

#include "platform/jobs/Job.h"

#include <QObject>
#include <QPixmap>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class QMimeData;

namespace orbisk {

class DragFolder;
class ScanEngine;
class TDrawGrid;

// Dragging icons out of the grid: a left-button drag that starts on a
// marked cell carries the marked icons, in list order, at most
// kMaxDragIcons of them (past that the first ones, and the status bar says
// so). Dropped on a file manager it gives one icon file per icon (the whole
// group, as Save icon group writes it); dropped on an image editor or a chat
// window, the largest image of the first icon as a PNG image.
//
// The data is made on a job when the drag starts, from copies of the icons'
// paths and images, into a folder of this run's own (DragFolder) that goes
// when the grid goes; a drop target that asks for it waits at most
// RetrieveWait, so that a disk that does not answer never holds the window.
// Drag folders that an earlier run left behind are removed, on a job, when
// the grid is made.
//
// Installs the grid's OnCanDrag and OnStartDrag while it lives, which must
// end before the grid's.
class TGridDrag : public QObject {
    Q_OBJECT

public:
    using StatusText = std::function<void(const QString& text)>;
    // Runs the drag of data, whose picture is pixmap.
    using DragStarter = std::function<void(std::unique_ptr<QMimeData> data, const QPixmap& pixmap)>;

    // How long a drop target's request for the data waits for it to be
    // made: the longest a drag or a drop may stand still without looking
    // hung, the same bound the window gives any job it waits for.
    static constexpr std::chrono::milliseconds RetrieveWait = Job::StopWait;

    // status shows a text in the status bar's third panel.
    TGridDrag(TDrawGrid& grid, ScanEngine& engine, StatusText status);
    ~TGridDrag() override;

    // Replaces QDrag::exec as the way a drag is run.
    void SetDragStarter(DragStarter start) { start_ = std::move(start); }

private:
    bool CanDrag(int col, int row) const;
    void StartDrag();

    TDrawGrid& grid_;
    ScanEngine& engine_;
    StatusText status_;
    DragStarter start_;
    std::shared_ptr<DragFolder> folder_;
    Job cleanup_;
};

} // namespace orbisk
