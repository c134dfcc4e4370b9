#pragma once

#include "platform/IniFile.h"
#include "platform/SettingsLocation.h"
#include "ui/AppSettings.h"
#include "ui/ListMode.h"

#include <QMainWindow>

#include <array>
#include <memory>
#include <optional>

class QAction;
class QActionGroup;
class QFrame;
class QLabel;
class QSplitter;
class QStatusBar;
class QToolBar;

namespace orbisk {

class ScanEngine;
class TafIcon;

// The main window: tool bars, the folder tree pane, the file list pane, the
// caption strip and icon grid, the status bar; it restores its geometry and
// the user's options from the settings file when it is created and stores
// them when it closes. It destroys itself once closed.
class TMainFrm : public QMainWindow {
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

    // Stops a running scan and waits for it.
    void EndScan();
    // The scan engine whose scan the window stops before closing; none when
    // nullptr. The engine must outlive the window or be reset first.
    void SetScanEngine(ScanEngine* engine) { ScanEngine_ = engine; }

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
    void Panel1Resize();

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
    ScanEngine* ScanEngine_ = nullptr;
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
    QWidget* DrawGrid1_ = nullptr;
    QStatusBar* StatusBar1_ = nullptr;
    std::array<QLabel*, 3> StatusPanels_ {};
};

} // namespace orbisk
