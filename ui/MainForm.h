#pragma once

#include "core/ScanView.h"
#include "platform/settings/IniFile.h"
#include "platform/settings/SettingsLocation.h"
#include "ui/AppSettings.h"
#include "ui/ListMode.h"

#include <QMainWindow>

#include <array>
#include <memory>
#include <optional>

class QAction;
class QActionGroup;
class QFrame;
class QKeyEvent;
class QLabel;
class QPainter;
class QSplitter;
class QStatusBar;
class QToolBar;

namespace orbisk {

class ScanEngine;
class TDrawGrid;
class TafIcon;

// The main window: tool bars, the folder tree pane, the file list pane, the
// caption strip and icon grid, the status bar; it restores its geometry and
// the user's options from the settings file when it is created and stores
// them when it closes. It destroys itself once closed.
//
// It owns the scan (the lists, the stop flag, the worker) and shows it: the
// status panels, the caption strip and the grid are its ScanView.
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

    // Settings are looked for where the settings location rule says, for
    // this program or for the folders given.
    explicit TMainFrm(QWidget* parent = nullptr);
    explicit TMainFrm(const SettingsLocation& settingsLocation, QWidget* parent = nullptr);
    ~TMainFrm() override;

    void LoadSettings();
    void ApplyDefaultSettings();
    // Writes every setting; throws EIniFileException when one cannot be
    // written. The settings file is let go of in any case, so nothing is
    // written twice.
    void SaveSettings();

    // The scan and its lists; nullptr only when they could not be created
    // (the program is then ending).
    ScanEngine* Engine() const { return ScanEngine_.get(); }
    // The one icon object through which icons are drawn and saved on the
    // window thread.
    TafIcon* WorkIcon() const { return WorkIcon_.get(); }
    TDrawGrid* DrawGrid1() const { return DrawGrid1_; }

    // Starts a scan of path (a folder, or one file in one-file mode) with the
    // present options, ending a running one first.
    void BeginScan(const std::string& path, bool oneFileMode = false);
    // Stops a running scan and waits for it.
    void EndScan();

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
    // The folder the tree shows selected.
    std::string SelectedFolderPath() const;

    void SetStatusText(int panel, const QString& text);
    QString StatusText(int panel) const;
    // The caption strip above the icon grid.
    void SetCaptionText(const QString& text);

    // Folder-selected notifications of the tree still to be ignored.
    int SkipFolderSelected() const { return SkipFolderSelected_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QMenu* createPopupMenu() override { return nullptr; }

private:
    void FormCreate();
    void FormClose();
    bool CreateScanObjects();
    void SetUpSettingsFile();

    void BuildToolBars();
    QAction* AddViewButton(const QString& hint, int image, void (TMainFrm::*click)());
    void BuildPanes();
    void BuildStatusBar();
    void ConnectGrid();
    void Panel1Resize();
    void Panel6Resize();

    void DrawGrid1DrawCell(QPainter& canvas, int col, int row, const QRect& rect, unsigned state);
    void DrawGrid1SelectCell(int col, int row, bool& canSelect);
    void DrawGrid1DblClick();
    void DrawGrid1KeyDown(QKeyEvent& key);
    void DrawGrid1MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // The third panel's text for the icon in cell (col, row).
    void ShowIconName(int col, int row);

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
    std::unique_ptr<TafIcon> WorkIcon_;
    std::unique_ptr<ScanEngine> ScanEngine_;
    AppSettings Settings_;
    TViewStyle ListViewStyle_ = TViewStyle::vsList;
    int SkipFolderSelected_ = 2;

    QToolBar* MainToolBar_ = nullptr;
    QToolBar* ToolBar_ = nullptr;
    QWidget* ToolSeparator_ = nullptr;
    QActionGroup* ViewButtons_ = nullptr;
    QAction* LargeIconTb_ = nullptr;
    QAction* SmallIconTb_ = nullptr;
    QAction* ListTb_ = nullptr;
    QAction* ReportTb_ = nullptr;
    QSplitter* Splitter1_ = nullptr;
    QFrame* Panel1_ = nullptr;
    QWidget* Panel2_ = nullptr;
    QSplitter* Splitter3_ = nullptr;
    QFrame* Panel5_ = nullptr;
    QWidget* Panel6_ = nullptr;
    QLabel* Panel7_ = nullptr;
    TDrawGrid* DrawGrid1_ = nullptr;
    QStatusBar* StatusBar1_ = nullptr;
    std::array<QLabel*, 3> StatusPanels_ {};
};

} // namespace orbisk
