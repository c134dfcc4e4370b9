#include "ui/FolderPanes.h"

#include "shell/controls/TStShellListView.h"
#include "shell/controls/TStShellTreeView.h"
#include "ui/ErrorGuard.h"
#include "widgets/DialogParts.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace orbisk {

namespace {

QFrame* PaneFrame(const char* name, QWidget* content)
{
    auto* frame = new QFrame;
    frame->setObjectName(QLatin1String(name));
    BareLayout(frame)->addWidget(content);
    return frame;
}

} // namespace

TFolderPanes::TFolderPanes(
    QWidget& window, std::function<bool()> autoScan, std::function<void(const std::string& path, bool oneFile)> scan)
    : QObject(nullptr)
    , Window_(window)
    , AutoScan_(std::move(autoScan))
    , Scan_(std::move(scan))
{
    ShellTree_ = new TStShellTreeView;
    ShellTree_->setObjectName(QStringLiteral("ShellTree"));
    Panel1_ = PaneFrame("Panel1", ShellTree_);
    Panel1_->setMinimumWidth(Panel1MinWidth);
    Panel1_->installEventFilter(this);
    ShellList_ = new TStShellListView;
    ShellList_->setObjectName(QStringLiteral("ShellList"));
    Panel5_ = PaneFrame("Panel5", ShellList_);
    Panel5_->setMinimumHeight(PaneMinHeight);

    ConfigureShellTree();
    ConfigureShellList();
    // F5 and Esc come through the window's key preview (PreviewKey).
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        Guarded([&] { FocusChanged(now); });
    });
    // The tree is the focused control when the window first opens, so Start
    // scan and F5 act on its folder.
    ShellTree_->setFocus(Qt::OtherFocusReason);
    ShellTree_->installEventFilter(this);
    ShellTree_->viewport()->installEventFilter(this);
}

TFolderPanes::~TFolderPanes() = default;

void TFolderPanes::Link()
{
    OpenTreeOn(StartFolder_);
    ShellTree_->SetListView(ShellList_);
    ShellList_->SetTreeView(ShellTree_);
    SkipFolderSelected_ = true;
}

bool TFolderPanes::eventFilter(QObject* watched, QEvent* event)
{
    Guarded([&] {
        if (event->type() == QEvent::Resize && watched == Panel1_ && OnTreePaneResized)
            OnTreePaneResized(Panel1_->width());
        else if (event->type() == QEvent::Paint)
            WatchTreeStartSelection(watched);
    });
    return QObject::eventFilter(watched, event);
}

// The tree shows the computer and its drives, opens on the start folder
// (set once the settings are read) and admits file-system folders only.
void TFolderPanes::ConfigureShellTree()
{
    ShellTree_->SetSpecialRootFolder(sfDrives);
    ShellTree_->SetSpecialStartInFolder(sfNone);
    ShellTree_->SetStartInFolder(QStringLiteral("/"));
    ShellTree_->SetOptions({ toExpandTopNode, toShowHidden });
    ShellTree_->OnFilterItem = [this](QObject*, TStShellItem* item, bool& accept) {
        Guarded([&] {
            if (item)
                ShellTreeFilterItem(*item, accept);
        });
    };
    ShellTree_->SetFiltered(true);
    ShellTree_->OnFolderSelected = [this](QObject*, TStShellFolder* folder) {
        Guarded([&] { ShellTreeFolderSelected(folder); });
    };
    ShellTree_->SetExpandInterval(2000);
    ShellTree_->SetCompressedColor(Qt::blue);
    ShellTree_->setRootIsDecorated(false);
    ShellTree_->setIndentation(19);
}

// The list shows what the tree selects once the two are linked, so it is
// given no root folder of its own (reading one would only be thrown away);
// it keeps its own view menu as its pop-up menu.
void TFolderPanes::ConfigureShellList()
{
    ShellList_->OnFilterItem = [this](QObject*, TStShellItem* item, bool& accept) {
        Guarded([&] {
            if (item)
                ShellListFilterItem(*item, accept);
        });
    };
    ShellList_->SetFiltered(true);
    ShellList_->SetOpenDialogMode(true);
    ShellList_->SetOptimization(otDisplay);
    ShellList_->SetOptions({ loShowHidden });
    // The designed style; the saved list mode replaces it.
    ShellList_->SetViewStyle(ListViewStyle_);
    ShellList_->SetMultiSelect(true);
    ShellList_->SetReadOnly(true);
    ShellList_->SetCompressedColor(Qt::blue);
    ShellList_->OnItemDblClick = [this](QObject*, TStShellItem* item, bool& defaultAction) {
        Guarded([&] { ShellListItemDblClick(item, defaultAction); });
    };
}

// The tree makes its start-up selection while it paints for the first time,
// and reports it (as often as it does) before that paint returns. The
// notifications are let through from the next turn of the event loop on, so
// the user's first selection always acts, however many the tree raised.
void TFolderPanes::WatchTreeStartSelection(QObject* watched)
{
    if (StartSelectionWatched_ || (watched != ShellTree_ && watched != ShellTree_->viewport()))
        return;
    StartSelectionWatched_ = true;
    ShellTree_->removeEventFilter(this);
    ShellTree_->viewport()->removeEventFilter(this);
    QMetaObject::invokeMethod(this, [this] { SkipFolderSelected_ = false; }, Qt::QueuedConnection);
}

// Focus that moves to a pop-up menu, a dialog or another program leaves the
// flag as it was: the list still counts as focused when the menu closes.
void TFolderPanes::FocusChanged(QWidget* now)
{
    if (!now || now->window() != &Window_)
        return;
    ListHasFocus_ = now == ShellList_ || ShellList_->isAncestorOf(now);
}

void TFolderPanes::ShellTreeFilterItem(const TStShellItem& item, bool& accept) const { accept = item.IsFileSystemFolder(); }

void TFolderPanes::ShellListFilterItem(const TStShellItem& item, bool& accept) const
{
    accept = item.IsFileSystemFile() || item.IsFileSystemFolder();
}

// The tree fills the linked list with the folder itself once this returns;
// giving the list the folder here as well would read every folder twice.
void TFolderPanes::ShellTreeFolderSelected(const TStShellFolder* folder)
{
    if (SkipFolderSelected_ || !folder || !folder->IsFileSystemFolder())
        return;
    // A folder deleted by another program moves the tree's selection; that
    // is no reason to throw away the icons shown and their marks.
    if (AutoScan_() && !ShellTree_->SelectionFollowsChange())
        Scan_(folder->NativePath(), false);
}

// A double-clicked folder is opened by the list itself (and selected in the
// tree, which scans it with AutoScan on); a file is never opened.
void TFolderPanes::ShellListItemDblClick(const TStShellItem* item, bool&)
{
    if (item && item->IsFileSystemFile())
        Scan_(item->NativePath(), true);
}

void TFolderPanes::PreviewKey(QWidget* receiver, const QKeyEvent& key)
{
    if (receiver == ShellTree_ || ShellTree_->isAncestorOf(receiver))
        ShellTreeKeyDown(key);
    else if (receiver == ShellList_ || ShellList_->isAncestorOf(receiver))
        ShellListKeyDown(key);
}

void TFolderPanes::ScanFocused()
{
    if (ListHasFocus_)
        ScanListItem();
    else
        ScanTreeFolder();
}

// The keys stay with the controls, which may have uses of their own for them.
void TFolderPanes::ShellTreeKeyDown(const QKeyEvent& key)
{
    if (key.key() == Qt::Key_F5)
        ScanTreeFolder();
}

void TFolderPanes::ShellListKeyDown(const QKeyEvent& key)
{
    if (key.key() == Qt::Key_F5)
        ScanListItem();
}

// Nothing is scanned while the tree has no selected folder (its start folder
// could not be found) or the selection lies outside the file system.
void TFolderPanes::ScanTreeFolder()
{
    const TStShellFolder* folder = ShellTree_->SelectedFolder();
    if (!folder)
        return;
    if (const std::string path = folder->NativePath(); !path.empty())
        Scan_(path, false);
}

// Nothing is scanned while the list has no current item (nothing has been
// selected since it was filled).
void TFolderPanes::ScanListItem()
{
    const TStShellItem* item = ShellList_->CurrentItem();
    if (!item)
        return;
    if (const std::string path = item->NativePath(); !path.empty())
        Scan_(path, item->IsFileSystemFile());
}

std::string TFolderPanes::SelectedFolderPath() const
{
    if (const TStShellFolder* folder = ShellTree_->SelectedFolder()) {
        if (std::string path = folder->NativePath(); !path.empty())
            return path;
    }
    return StartFolder_;
}

void TFolderPanes::OpenTreeOn(const std::string& folder)
{
    StartFolder_ = folder;
    ShellTree_->SetStartInFolder(QFile::decodeName(QByteArray::fromStdString(folder)));
}

void TFolderPanes::SetListViewStyle(TViewStyle style)
{
    ListViewStyle_ = style;
    ShellList_->SetViewStyle(style);
}

} // namespace orbisk
