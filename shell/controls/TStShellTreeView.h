#pragma once

#include "shell/items/ShellController.h"
#include "shell/items/ShellItem.h"

#include <QTreeView>

#include <memory>

namespace orbisk {

class TStShellListView;

// The folder tree: a lazily loaded view of the shell namespace below a root.
//
// What a linked file list and the main window rely on (kept stable while the
// two controls are built side by side):
//   SetListView / ListView      the linked list (the list's TreeView is set by the list)
//   Controller                  the shell context the pair shares
//   SelectedFolder              the folder item of the selected node, or none
//   RootItem                    the root node's item, or none before the tree is built
//   SelectChildByName           the list opened a folder: select that child
//                               of the selected node without refilling the list
//   SelectByIdList              select the loaded node of an absolute ID list,
//                               without refilling the list
class TStShellTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit TStShellTreeView(QWidget* parent = nullptr);
    ~TStShellTreeView() override;

    TStShellListView* ListView() const { return listView_; }
    void SetListView(TStShellListView* list);

    const std::shared_ptr<TStCustomShellController>& Controller() const { return controller_; }

    TStShellFolder* SelectedFolder() const { return selectedFolder_; }
    TStShellItem* RootItem() const { return rootItem_; }

    bool SelectChildByName(const TStShellItem& item);
    bool SelectByIdList(const ItemIdList& absolute);

private:
    TStShellListView* listView_ = nullptr;
    std::shared_ptr<TStCustomShellController> controller_;
    TStShellFolder* selectedFolder_ = nullptr;
    TStShellItem* rootItem_ = nullptr;
};

} // namespace orbisk
