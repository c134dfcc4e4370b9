#include "shell/controls/TStShellListView.h"

#include "shell/controls/TStShellTreeView.h"

namespace orbisk {

TStShellListView::TStShellListView(QWidget* parent) : QWidget(parent) {}

TStShellListView::~TStShellListView() = default;

void TStShellListView::SetTreeView(TStShellTreeView* tree)
{
    treeView_ = tree;
    if (tree && !controller_)
        controller_ = tree->Controller();
}

void TStShellListView::ShowFolder(const TStShellItem&) {}

} // namespace orbisk
