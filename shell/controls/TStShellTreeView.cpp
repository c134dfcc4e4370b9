#include "shell/controls/TStShellTreeView.h"

#include "shell/controls/TStShellListView.h"

namespace orbisk {

TStShellTreeView::TStShellTreeView(QWidget* parent) : QTreeView(parent) {}

TStShellTreeView::~TStShellTreeView() = default;

void TStShellTreeView::SetListView(TStShellListView* list)
{
    listView_ = list;
    if (list && !controller_)
        controller_ = list->Controller();
}

bool TStShellTreeView::SelectChildByName(const TStShellItem&)
{
    return false;
}

bool TStShellTreeView::SelectByIdList(const ItemIdList&)
{
    return false;
}

} // namespace orbisk
