#pragma once

#include "ui/ListMode.h"

#include <QObject>

#include <functional>
#include <string>

class QFrame;
class QKeyEvent;
class QWidget;

namespace orbisk {

class TStShellFolder;
class TStShellItem;
class TStShellListView;
class TStShellTreeView;

// The main window's folder navigation: the folder tree (in Panel1) and the
// file list (in Panel5), linked, and how they answer the user: what they
// show, which selections and keys start a scan, and which of the two a Start
// scan takes its target from.
class TFolderPanes : public QObject {
public:
    static constexpr int Panel1MinWidth = 89;
    static constexpr int PaneMinHeight = 60;

    // window: the main window, whose focus is followed. autoScan tells
    // whether a folder selected in the tree is scanned; scan starts a scan
    // of a path (a folder, or one file alone).
    TFolderPanes(QWidget& window, std::function<bool()> autoScan,
        std::function<void(const std::string& path, bool oneFile)> scan);
    ~TFolderPanes() override;

    QFrame* TreePane() const { return Panel1_; }
    QFrame* ListPane() const { return Panel5_; }
    TStShellTreeView* ShellTree() const { return ShellTree_; }
    TStShellListView* ShellList() const { return ShellList_; }
    // Panel1 changed width (the toolbar follows it).
    std::function<void(int width)> OnTreePaneResized;

    // Links the list to the tree, once the tree knows its start folder; the
    // tree's notifications stay ignored until its start-up selection is
    // over.
    void Link();

    // Makes folder the start folder, so that the tree, not shown yet, opens
    // on it, selected, without scanning it.
    void OpenTreeOn(const std::string& folder);
    const std::string& StartFolder() const { return StartFolder_; }
    // The folder the tree shows selected, or the start folder while it shows
    // none.
    std::string SelectedFolderPath() const;

    TViewStyle ListViewStyle() const { return ListViewStyle_; }
    void SetListViewStyle(TViewStyle style);

    // True while the file list (or a widget inside it) holds the focus.
    bool ListHasFocus() const { return ListHasFocus_; }
    // True until the tree has made its start-up selection.
    bool SkipFolderSelected() const { return SkipFolderSelected_; }

    // Start scan: the list's current item when the list has the focus, the
    // tree's folder otherwise.
    void ScanFocused();
    // A key the window's key preview saw for receiver, before it.
    void PreviewKey(QWidget* receiver, const QKeyEvent& key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConfigureShellTree();
    void ConfigureShellList();
    void ShellTreeFilterItem(const TStShellItem& item, bool& accept) const;
    void ShellListFilterItem(const TStShellItem& item, bool& accept) const;
    // A folder became selected in the tree: with AutoScan on it is scanned,
    // unless the tree is still making its start-up selection.
    void ShellTreeFolderSelected(const TStShellFolder* folder);
    // Before the list's own double-click action: a file is scanned alone.
    void ShellListItemDblClick(const TStShellItem* item, bool& defaultAction);
    void ShellTreeKeyDown(const QKeyEvent& key);
    void ShellListKeyDown(const QKeyEvent& key);
    void ScanTreeFolder();
    void ScanListItem();
    void FocusChanged(QWidget* now);
    void WatchTreeStartSelection(QObject* watched);

    QWidget& Window_;
    std::function<bool()> AutoScan_;
    std::function<void(const std::string&, bool)> Scan_;
    QFrame* Panel1_ = nullptr;
    TStShellTreeView* ShellTree_ = nullptr;
    QFrame* Panel5_ = nullptr;
    TStShellListView* ShellList_ = nullptr;
    TViewStyle ListViewStyle_ = TViewStyle::vsList;
    std::string StartFolder_ { "/" };
    bool SkipFolderSelected_ = true;
    bool StartSelectionWatched_ = false;
    bool ListHasFocus_ = false;
};

} // namespace orbisk
