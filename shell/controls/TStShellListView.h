#pragma once

#include "shell/items/ShellController.h"
#include "shell/items/ShellItem.h"

#include <QWidget>

#include <memory>

namespace orbisk {

class TStShellTreeView;

// The file list: the items of one shell folder in one of four view styles.
//
// What a linked folder tree and the main window rely on (kept stable while
// the two controls are built side by side):
//   SetTreeView / TreeView      the linked tree (the tree's ListView is set by the tree)
//   Controller                  the shell context the pair shares
//   ShowFolder                  fill the list with the folder an item names
//   CurrentItem                 the item of the focused row, or none
class TStShellListView : public QWidget {
    Q_OBJECT
public:
    explicit TStShellListView(QWidget* parent = nullptr);
    ~TStShellListView() override;

    TStShellTreeView* TreeView() const { return treeView_; }
    void SetTreeView(TStShellTreeView* tree);

    const std::shared_ptr<TStCustomShellController>& Controller() const { return controller_; }

    void ShowFolder(const TStShellItem& folder);
    TStShellItem* CurrentItem() const { return currentItem_; }

private:
    TStShellTreeView* treeView_ = nullptr;
    std::shared_ptr<TStCustomShellController> controller_;
    TStShellItem* currentItem_ = nullptr;
};

} // namespace orbisk
