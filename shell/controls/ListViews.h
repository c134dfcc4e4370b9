#pragma once

#include <QListView>
#include <QTreeView>

namespace orbisk {

// The two views of the file list: one for the icon and list styles, one for
// report view. They say whether a caption is being edited, during which the
// list leaves its rows alone.
class TStIconView : public QListView {
public:
    using QListView::QListView;
    bool Editing() const { return state() == EditingState; }
};

class TStReportView : public QTreeView {
public:
    using QTreeView::QTreeView;
    bool Editing() const { return state() == EditingState; }
};

} // namespace orbisk
