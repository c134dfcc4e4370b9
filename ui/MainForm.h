#pragma once

#include "platform/settings/SettingsLocation.h"
#include "ui/AppSettings.h"
#include "ui/FolderPanes.h"
#include "ui/MainGrid.h"
#include "ui/MainToolBar.h"
#include "ui/WindowSettings.h"

#include <QMainWindow>

#include <array>
#include <atomic>
#include <memory>
#include <optional>

class QAction;
class QKeyEvent;
class QLabel;
class QMenu;
class QMenuBar;
class QSplitter;
class QStatusBar;

namespace orbisk {

class ScanEngine;
class TDrawGrid;
class TStShellListView;
class TStShellTreeView;
class TIconGroupCommands;
class TSaveMarkedDlg;
class BatchSave;
class TafIcon;

// The main window: a host for its parts. The tool bars (TMainToolBar), the
// folder tree and file list panes (TFolderPanes), the caption strip and icon
// grid (TMainGrid), the status bar; it restores its geometry and the user's
// options from the settings file (TWindowSettings) when it is created and
// stores them when it closes. It destroys itself once closed.
//
// It owns the scan (the lists, the stop flag, the worker), which the grid
// shows, and the batch save.
//
// Everything the user does is one of the commands of ActionList(); the main
// menu, the toolbar and the pop-up menus of the grid and the folder tree only
// point at them. Every command, slot and event handler runs inside the error
// guard (ui/ErrorGuard.h).
class TMainFrm : public QMainWindow {
    Q_OBJECT

public:
    // Designed client size and pane sizes.
    static constexpr int DesignedWidth = 713;
    static constexpr int DesignedHeight = 400;
    static constexpr int Panel1DesignedWidth = 137;
    static constexpr int Panel1MinWidth = TFolderPanes::Panel1MinWidth;
    static constexpr int Panel5DesignedHeight = 73;
    static constexpr int PaneMinHeight = TFolderPanes::PaneMinHeight;
    static constexpr int SplitterWidth = 3;
    static constexpr int Panel7Height = TMainGrid::Panel7Height;
    static constexpr std::array<int, 2> FixedStatusPanelWidths { 70, 100 };
    static constexpr int ToolBarHeight = TMainToolBar::ToolBarHeight;
    static constexpr int ToolBarMinWidth = TMainToolBar::ToolBarMinWidth;
    static constexpr QSize ToolButtonSize = TMainToolBar::ToolButtonSize;

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
    // The settings file's path; empty once it is let go of, or when it could
    // not be set up.
    std::string SettingsFileName() const { return SettingsFile_.FileName(); }
    AppSettings& Settings() { return Settings_; }
    const AppSettings& Settings() const { return Settings_; }

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

    // The window's parts.
    TMainGrid& Grid() const { return *Grid_; }
    TDrawGrid* DrawGrid1() const { return Grid_->DrawGrid1(); }
    TFolderPanes& Panes() const { return *Panes_; }
    TStShellTreeView* ShellTree() const { return Panes_->ShellTree(); }
    TStShellListView* ShellList() const { return Panes_->ShellList(); }
    TMainToolBar& ToolBar() const { return *ToolBar_; }

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

    // The status bar's panels, left to right.
    void SetStatusText(int panel, const QString& text);
    QString StatusText(int panel) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    QMenu* createPopupMenu() override { return nullptr; }

private:
    void FormCreate();
    void FormClose();
    bool CreateScanObjects();

    void CreateActions();
    void BuildMainMenu();
    void BuildPopupMenus();
    void BuildPanes();
    void BuildStatusBar();
    void SetListViewStyle(TViewStyle style);

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

    TWindowSettings SettingsFile_;
    AppSettings Settings_;
    int DisplayBits_ = 32;
    int32_t SaveColorCount_ = 0;
    // Save icon's dialog opens on the filter entry and in the folder of the
    // last confirmed save of this run.
    int SaveFilterIndex_ = 1;
    QString SaveDialogFolder_;

    // The parts come before the scan, whose view the grid is.
    std::unique_ptr<TMainToolBar> ToolBar_;
    std::unique_ptr<TFolderPanes> Panes_;
    std::unique_ptr<TMainGrid> Grid_;
    std::unique_ptr<TafIcon> WorkIcon_;
    std::unique_ptr<ScanEngine> ScanEngine_;
    TSaveMarkedDlg* SaveMarkedDlg_ = nullptr;
    // The batch save, shown by SaveMarkedDlg_.
    std::unique_ptr<BatchSave> BatchSave_;
    TIconGroupCommands* GroupCommands_ = nullptr;

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

    QSplitter* Splitter1_ = nullptr;
    QWidget* Panel2_ = nullptr;
    QSplitter* Splitter3_ = nullptr;
    QStatusBar* StatusBar1_ = nullptr;
    std::array<QLabel*, 3> StatusPanels_ {};
};

} // namespace orbisk
