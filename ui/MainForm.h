#pragma once

#include "core/ScanView.h"
#include "platform/settings/IniFile.h"
#include "platform/settings/SettingsLocation.h"
#include "ui/AppSettings.h"
#include "ui/ListMode.h"

#include <QMainWindow>

#include <array>
#include <atomic>
#include <memory>
#include <optional>

class QAction;
class QActionGroup;
class QFrame;
class QKeyEvent;
class QLabel;
class QMenu;
class QMenuBar;
class QPainter;
class QSplitter;
class QStatusBar;
class QToolBar;

namespace orbisk {

class ScanEngine;
class SharpIconCache;
struct IconEntry;
class TDrawGrid;
class TStShellFolder;
class TStShellItem;
class TStShellListView;
class TStShellTreeView;
class TIconGroupCommands;
class TGridDrag;
class TSaveMarkedDlg;
class BatchSave;
class WindowWake;
class TafIcon;

// The main window: tool bars, the folder tree pane, the file list pane, the
// caption strip and icon grid, the status bar; it restores its geometry and
// the user's options from the settings file when it is created and stores
// them when it closes. It destroys itself once closed.
//
// It owns the scan (the lists, the stop flag, the worker) and shows it: the
// status panels, the caption strip and the grid are its ScanView.
//
// Everything the user does is one of the commands of ActionList(); the main
// menu, the toolbar and the pop-up menus of the grid and the folder tree only
// point at them. Every command, slot and event handler runs inside the error
// guard (ui/ErrorGuard.h).
class TMainFrm : public QMainWindow, public ScanView {
    Q_OBJECT

public:
    // Designed client size and pane sizes.
    static constexpr int DesignedWidth = 713;
    static constexpr int DesignedHeight = 400;
    static constexpr int Panel1DesignedWidth = 137;
    static constexpr int Panel1MinWidth = 89;
    static constexpr int Panel5DesignedHeight = 73;
    static constexpr int PaneMinHeight = 60;
    static constexpr int SplitterWidth = 3;
    static constexpr int Panel7Height = 18;
    static constexpr std::array<int, 2> FixedStatusPanelWidths { 70, 100 };
    static constexpr int ToolBarHeight = 42;
    static constexpr int ToolBarMinWidth = 559;
    static constexpr QSize ToolButtonSize { 44, 38 };

    // Settings are looked for where the settings location rule says, for
    // this program or for the folders given.
    explicit TMainFrm(QWidget* parent = nullptr);
    explicit TMainFrm(const SettingsLocation& settingsLocation, QWidget* parent = nullptr);
    ~TMainFrm() override;

    void LoadSettings();
    void ApplyDefaultSettings();
    // Writes every setting in one replacement of the file; throws
    // EIniFileException when they cannot be written (then none is). The
    // settings file is let go of in any case, so nothing is written twice.
    void SaveSettings();

    // The scan and its lists; nullptr only when they could not be created
    // (the program is then ending).
    ScanEngine* Engine() const { return ScanEngine_.get(); }
    // The one icon object through which icons are drawn and saved on the
    // window thread.
    TafIcon* WorkIcon() const { return WorkIcon_.get(); }
    // The screen's depth, read once when the window is created; saves made
    // for the window (on a worker too) are made for this depth.
    int DisplayBits() const { return DisplayBits_; }
    // The colour count of saved icon files: the SaveColors setting, or the
    // display's colour count when it is 0, as it stood when last set.
    int32_t SaveColorCount() const { return SaveColorCount_; }
    // Sets the SaveColors setting and the colour count it stands for.
    void SetSaveColors(int32_t saveColors);
    TDrawGrid* DrawGrid1() const { return DrawGrid1_; }

    // Starts a scan of path (a folder, or one file in one-file mode) with the
    // present options, ending a running one first.
    void BeginScan(const std::string& path, bool oneFileMode = false);
    // Stops a running scan and waits for it.
    void EndScan();
    // Stops all work running beside the window (the scan, the batch save)
    // and waits for it: the first step of every command that changes the
    // icon list, the options or the window's state, and of closing.
    void StopBackgroundWork();
    // The progress dialog of Save selected icons, made with the window.
    TSaveMarkedDlg* SaveMarkedDlg() const { return SaveMarkedDlg_; }
    BatchSave& Batch() const { return *BatchSave_; }
    // Save icon group and Copy, and the grid cells' tooltips.
    TIconGroupCommands* GroupCommands() const { return GroupCommands_; }

    // The commands, in their fixed order: AboutAct, SettingsAct, StartScan,
    // StopScan, SaveIcon, DelIcon, SelectAll, UnselectAll, DeleteSelected,
    // SaveSelected, GoodBy.
    const QList<QAction*>& ActionList() const { return ActionList_; }

    // Opens an absolute path the user named when starting the program, before
    // the window is first shown: the tree opens on a folder; a file opens the
    // tree on its folder and is scanned alone, whatever the extension filter
    // says, once the event loop runs.
    void OpenPath(const std::string& path);
    // Makes folder the start folder, so that the tree, not shown yet, opens
    // on it, selected, without scanning it.
    void OpenTreeOn(const std::string& folder);

    // Fits the grid to its width and to the icons there are, and repaints it.
    void ArrangeGrid();
    // Removes the icon of the grid's current cell (ending a running scan
    // first), arranges the grid and names the icon the cell shows now in the
    // status bar; an empty current cell changes nothing.
    void DeleteCurrentIcon();
    // The index of the icon the current cell shows (it may be past the end).
    long long CurrentIconIndex() const;
    // Draws entry index's cell at once (after its mark changed).
    void DrawIconCell(long long index, const QRect& cellRect);
    // The icons the grid draws on a screen whose pixel ratio is above 1
    // (null until the grid first paints on one).
    SharpIconCache* SharpIcons() const { return SharpIcons_.get(); }
    // Marks every icon in the block of cells, both ends included.
    void MarkRange(int left, int top, int right, int bottom);

    // ScanView: what the scan shows, on the window thread.
    void SetPanelText(int panel, const std::string& text) override;
    void SetCaption(const std::string& text) override;
    int ColCount() const override;
    int RowCount() const override;
    void SetColCount(int columns) override;
    void SetRowCount(int rows) override;
    int ClientWidth() const override;
    int ClientHeight() const override;
    void Repaint() override;
    using ScanView::ArrangeGrid;
    void GrowGrid(long long iconCount, int fitColumns, int fitRows) override;

    AppSettings& Settings() { return Settings_; }
    const AppSettings& Settings() const { return Settings_; }
    // The settings file's path; empty once it is let go of, or when it could
    // not be set up.
    std::string SettingsFileName() const;
    // The file list's view style and the view button that is down.
    TViewStyle ListViewStyle() const { return ListViewStyle_; }
    std::optional<TViewStyle> PressedViewButton() const;
    // The folder the tree shows selected, or the start folder while it shows
    // none.
    std::string SelectedFolderPath() const;
    // The folder the tree opens on: one opened by OpenTreeOn, else the folder
    // selected at the last close when it still is one, otherwise "/".
    const std::string& StartFolder() const { return StartFolder_; }

    TStShellTreeView* ShellTree() const { return ShellTree_; }
    TStShellListView* ShellList() const { return ShellList_; }
    // True while the file list (or a widget inside it) holds the focus.
    bool ListHasFocus() const { return ListHasFocus_; }

    // Event handlers of the folder tree and the file list.
    void ShellTreeFilterItem(const TStShellItem& item, bool& accept) const;
    void ShellListFilterItem(const TStShellItem& item, bool& accept) const;
    // A folder became selected in the tree: with AutoScan on it is scanned,
    // unless the tree is still making its start-up selection.
    void ShellTreeFolderSelected(const TStShellFolder* folder);
    // Before the list's own double-click action: a file is scanned alone.
    void ShellListItemDblClick(const TStShellItem* item, bool& defaultAction);
    void ShellTreeKeyDown(const QKeyEvent& key);
    void ShellListKeyDown(const QKeyEvent& key);

    void SetStatusText(int panel, const QString& text);
    QString StatusText(int panel) const;
    // The caption strip above the icon grid.
    void SetCaptionText(const QString& text);

    // True until the tree has made its start-up selection: the tree's
    // folder-selected notifications are ignored until then, so that start-up
    // scans nothing.
    bool SkipFolderSelected() const { return SkipFolderSelected_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QMenu* createPopupMenu() override { return nullptr; }

private:
    void FormCreate();
    void FormClose();
    bool CreateScanObjects();
    void SetUpSettingsFile();

    void CreateActions();
    // A menu item or toolbar button with a caption, hint or image of its own
    // that runs command.
    QAction* CommandItem(QAction* command, const QString& caption, const QString& hint, const QIcon& image);
    void BuildMainMenu();
    void BuildPopupMenus();
    void BuildToolBars();
    QWidget* AddToolButton(QAction* action, const char* name);
    QWidget* AddToolSpacer(const char* name, int width, bool line);
    QAction* AddViewButton(const char* name, const QString& hint, int image, void (TMainFrm::*click)());
    void BuildPanes();
    void BuildStatusBar();
    void ConnectGrid();
    void ConnectPane();
    void ConfigureShellTree();
    void ConfigureShellList();
    void Panel1Resize();
    void ToolBarResize();
    void Panel6Resize();
    // The left edge of OptionsTb in the toolbar, from the widths before it.
    int OptionsTbLeft() const;

    void AboutActExecute();
    void SettingsActExecute();
    void StartScanExecute();
    void StopScanExecute();
    void SaveIconExecute();
    void DelIconExecute();
    void SelectAllExecute();
    void UnselectAllExecute();
    void DeleteSelectedExecute();
    void SaveSelectedExecute();
    void GoodByExecute();

    // Key preview: sees every key pressed in the window's own widgets before
    // the focused one does; true when the key is consumed.
    bool FormKeyPress(QWidget* receiver, QKeyEvent& key);
    void FocusChanged(QWidget* now);
    // Start-up selection of the tree: notifications stop being ignored once
    // the tree's first paint is over.
    void WatchTreeStartSelection(QObject* watched, QEvent* event);
    void ScanTreeFolder();
    void ScanListItem();

    void DrawGrid1DrawCell(QPainter& canvas, int col, int row, const QRect& rect, unsigned state);
    void DrawGrid1SelectCell(int col, int row, bool& canSelect);
    void DrawGrid1DblClick();
    void DrawGrid1KeyDown(QKeyEvent& key);
    void DrawGrid1MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // The third panel's text for the icon in cell (col, row).
    void ShowIconName(int col, int row);
    // Draws entry's icon from its group's best image when the screen has
    // more than 32 device pixels for it and that image is ready; false when
    // the 32-pixel icon is to be drawn.
    bool DrawSharpIcon(QPainter& canvas, const IconEntry& entry, int x, int y);
    void EnsureSharpCapacity();

    void LoadWindowSettings(const TIniFile& file);
    void LoadOptions(const TIniFile& file);
    void ApplyStoredGeometry(int top, int left, int width, int height);
    void PressViewButton(TViewStyle style);
    void SetListViewStyle(TViewStyle style);

    void LargeIconTbClick();
    void SmallIconTbClick();
    void ListTbClick();
    void ReportTbClick();

    SettingsLocation SettingsLocation_;
    std::unique_ptr<TIniFile> SettingsFile_;
    bool SettingsReadOnly_ = false;
    std::unique_ptr<TafIcon> WorkIcon_;
    std::unique_ptr<ScanEngine> ScanEngine_;
    // Set while a repaint for newly made sharp icons waits in the event queue.
    // The cache's job wakes the window through SharpRepaint_, which goes
    // after it.
    std::unique_ptr<WindowWake> SharpRepaint_;
    std::unique_ptr<SharpIconCache> SharpIcons_;
    AppSettings Settings_;
    int DisplayBits_ = 32;
    int32_t SaveColorCount_ = 0;
    TViewStyle ListViewStyle_ = TViewStyle::vsList;
    bool SkipFolderSelected_ = true;
    bool StartSelectionWatched_ = false;
    bool ListHasFocus_ = false;
    std::string StartFolder_ { "/" };
    // Save icon's dialog opens on the filter entry and in the folder of the
    // last confirmed save of this run.
    int SaveFilterIndex_ = 1;
    QString SaveDialogFolder_;
    TSaveMarkedDlg* SaveMarkedDlg_ = nullptr;
    // The batch save, shown by SaveMarkedDlg_.
    std::unique_ptr<BatchSave> BatchSave_;
    TIconGroupCommands* GroupCommands_ = nullptr;
    // Dragging marked icons out of the grid; owned by the grid.
    TGridDrag* GridDrag_ = nullptr;

    QList<QAction*> ActionList_;
    QAction* AboutAct_ = nullptr;
    QAction* SettingsAct_ = nullptr;
    QAction* StartScan_ = nullptr;
    QAction* StopScan_ = nullptr;
    QAction* SaveIcon_ = nullptr;
    QAction* DelIcon_ = nullptr;
    QAction* SelectAll_ = nullptr;
    QAction* UnselectAll_ = nullptr;
    QAction* DeleteSelected_ = nullptr;
    QAction* SaveSelected_ = nullptr;
    QAction* GoodBy_ = nullptr;

    QMenuBar* MainMenu1_ = nullptr;
    QMenu* Action1_ = nullptr;
    QMenu* GridPopupMenu_ = nullptr;
    QMenu* TreePopupMenu_ = nullptr;
    QObject* KeyPreview_ = nullptr;

    QToolBar* MainToolBar_ = nullptr;
    QToolBar* ToolBar_ = nullptr;
    QWidget* ToolSeparator_ = nullptr;
    QWidget* OptionsTb_ = nullptr;
    QWidget* ToolSeparator4_ = nullptr;
    QActionGroup* ViewButtons_ = nullptr;
    QAction* LargeIconTb_ = nullptr;
    QAction* SmallIconTb_ = nullptr;
    QAction* ListTb_ = nullptr;
    QAction* ReportTb_ = nullptr;
    QSplitter* Splitter1_ = nullptr;
    QFrame* Panel1_ = nullptr;
    TStShellTreeView* ShellTree_ = nullptr;
    QWidget* Panel2_ = nullptr;
    QSplitter* Splitter3_ = nullptr;
    QFrame* Panel5_ = nullptr;
    TStShellListView* ShellList_ = nullptr;
    QWidget* Panel6_ = nullptr;
    QLabel* Panel7_ = nullptr;
    TDrawGrid* DrawGrid1_ = nullptr;
    QStatusBar* StatusBar1_ = nullptr;
    std::array<QLabel*, 3> StatusPanels_ {};
};

} // namespace orbisk
