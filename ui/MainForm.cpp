#include "ui/MainForm.h"

#include "core/ScanEngine.h"
#include "export/SaveColors.h"
#include "export/TafIcon.h"
#include "platform/pixels/Display.h"
#include "shell/controls/TStShellListView.h"
#include "shell/controls/TStShellTreeView.h"
#include "ui/DrawGrid.h"
#include "ui/ErrorGuard.h"
#include "widgets/MessageBox.h"
#include "ui/SaveMarkedDlg.h"
#include "ui/StartFolder.h"
#include "ui/WindowAccessible.h"
#include "widgets/DialogParts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace orbisk {

namespace {

// Gives a splitter's first pane a size; the other pane takes the rest.
void SetFirstPaneSize(QSplitter* splitter, int size)
{
    const QList<int> sizes = splitter->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    splitter->setSizes({ size, std::max(total - size, 0) });
}

QSplitter* PaneSplitter(Qt::Orientation orientation, const char* name, QWidget* first, QWidget* rest)
{
    auto* splitter = new QSplitter(orientation);
    splitter->setObjectName(QLatin1String(name));
    splitter->setHandleWidth(TMainFrm::SplitterWidth);
    // The panes' minimum sizes hold whatever the user drags.
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(first);
    splitter->addWidget(rest);
    // The first pane keeps its size when the window changes size.
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    return splitter;
}

} // namespace

TMainFrm::TMainFrm(QWidget* parent)
    : TMainFrm(SettingsLocation::Current(), parent)
{
}

TMainFrm::TMainFrm(const SettingsLocation& settingsLocation, QWidget* parent)
    : QMainWindow(parent)
    , SettingsFile_(settingsLocation)
{
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(QStringLiteral("Orbisk v1.2"));
    setAttribute(Qt::WA_DeleteOnClose);
    CreateActions();
    BuildMainMenu();
    ToolBar_ = std::make_unique<TMainToolBar>(*this,
        TMainToolBar::Commands { StartScan_, StopScan_, DelIcon_, SaveIcon_, SelectAll_, UnselectAll_,
            DeleteSelected_, SaveSelected_, SettingsAct_, AboutAct_ });
    ToolBar_->OnViewStyle = [this](TViewStyle style) { SetListViewStyle(style); };
    BuildPanes();
    BuildStatusBar();
    BuildPopupMenus();
    ConnectWindowAccessibility(*this);
    resize(DesignedWidth, DesignedHeight);
    SaveMarkedDlg_ = new TSaveMarkedDlg(this);
    BatchSave_ = std::make_unique<BatchSave>(SaveMarkedDlg_->View());
    SaveMarkedDlg_->SetBatch(*BatchSave_);
    connect(SaveMarkedDlg_, &TSaveMarkedDlg::BatchEnded, this, [this] { Grid_->Repaint(); });
    FormCreate();
}

// The application outlives the window: what it reports while the widgets are
// torn down (focus moving away) must not reach the half-destroyed window.
TMainFrm::~TMainFrm()
{
    disconnect(qApp, nullptr, this, nullptr);
    Panes_.reset();
    // Its worker reads the lists and reports to the dialog.
    BatchSave_.reset();
    delete SaveMarkedDlg_;
    delete KeyPreview_;
}

void TMainFrm::BuildPanes()
{
    Panes_ = std::make_unique<TFolderPanes>(
        *this, [this] { return Settings_.AutoScan; },
        [this](const std::string& path, bool oneFile) { BeginScan(path, oneFile); });
    Panes_->OnTreePaneResized = [this](int width) { ToolBar_->FollowTreePane(width); };
    Grid_ = std::make_unique<TMainGrid>([this](int panel, const QString& text) { SetStatusText(panel, text); });
    Grid_->OnDeleteKey = [this] {
        StopBackgroundWork();
        Grid_->DeleteCurrentIcon();
    };

    Splitter3_ = PaneSplitter(Qt::Vertical, "Splitter3", Panes_->ListPane(), Grid_->Pane());
    Panel2_ = new QWidget;
    Panel2_->setObjectName(QStringLiteral("Panel2"));
    BareLayout(Panel2_)->addWidget(Splitter3_);
    Splitter1_ = PaneSplitter(Qt::Horizontal, "Splitter1", Panes_->TreePane(), Panel2_);

    Splitter1_->setSizes({ Panel1DesignedWidth, DesignedWidth - Panel1DesignedWidth - SplitterWidth });
    Splitter3_->setSizes({ Panel5DesignedHeight, DesignedHeight });
    setCentralWidget(Splitter1_);
}

void TMainFrm::BuildStatusBar()
{
    StatusBar1_ = new QStatusBar(this);
    StatusBar1_->setObjectName(QStringLiteral("StatusBar1"));
    for (std::size_t i = 0; i < StatusPanels_.size(); ++i) {
        auto* panel = new QLabel;
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        const bool fixed = i < FixedStatusPanelWidths.size();
        if (fixed) {
            // The designed width, widened only when a text would not fit,
            // so a large icon count stays readable.
            panel->setMinimumWidth(FixedStatusPanelWidths[i]);
            panel->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
        } else // a long path is cut off rather than widening the window
            panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        StatusBar1_->addWidget(panel, fixed ? 0 : 1);
        StatusPanels_[i] = panel;
    }
    setStatusBar(StatusBar1_);
}

void TMainFrm::FormCreate()
{
    // The one look at the screen's depth: workers are handed this value and
    // never ask the screen themselves.
    DisplayBits_ = ScreenBitsPerPixel();
    SaveColorCount_ = ScreenColorCount(DisplayBits_);
    const bool created = CreateScanObjects();
    if (!created) {
        ShowMessage(QStringLiteral("Can not initialize memory"));
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    }
    if (!SettingsFile_.Open())
        ShowMessage(QStringLiteral("Can not create file orbisk.ini"));
    LoadSettings();
    Panes_->Link();
    // A run that could not start must not overwrite the user's settings.
    if (!created)
        SettingsFile_.Forget();
}

bool TMainFrm::CreateScanObjects()
{
    try {
        ScanEngine_ = std::make_unique<ScanEngine>(*Grid_);
        WorkIcon_ = std::make_unique<TafIcon>();
        Grid_->Attach(ScanEngine_.get());
        return true;
    } catch (const std::exception&) {
        ScanEngine_.reset();
        return false;
    }
}

void TMainFrm::LoadSettings()
{
    const std::optional<StoredWindow> stored = SettingsFile_.Read();
    if (!stored) {
        ApplyDefaultSettings();
        return;
    }
    // Each stored value that is not negative replaces the window's own. The
    // system places the window only once it is shown, so there is no edge of
    // its choice to keep yet: a position is applied only when both of its
    // values are valid, and otherwise the system places the window.
    if (stored->Left >= 0 && stored->Top >= 0)
        move(stored->Left, stored->Top);
    if (stored->Width >= 0 || stored->Height >= 0)
        resize(stored->Width >= 0 ? stored->Width : width(), stored->Height >= 0 ? stored->Height : height());
    if (stored->Panel1Width >= 0)
        SetFirstPaneSize(Splitter1_, stored->Panel1Width);
    if (stored->Panel5Height >= 0)
        SetFirstPaneSize(Splitter3_, stored->Panel5Height);
    // The user comes back to the folder they left.
    Panes_->OpenTreeOn(StartFolderFor(stored->StartInFolder));
    if (const auto style = ListModeToViewStyle(stored->ListMode)) {
        ToolBar_->PressViewButton(*style);
        SetListViewStyle(*style);
    }
    Settings_ = stored->Options;
    SetSaveColors(Settings_.SaveColors);
}

void TMainFrm::ApplyDefaultSettings()
{
    ToolBar_->PressViewButton(TViewStyle::vsIcon);
    SetListViewStyle(TViewStyle::vsIcon);
    Settings_ = AppSettings {};
}

void TMainFrm::SaveSettings()
{
    StoredWindow stored;
    stored.Top = y();
    stored.Left = x();
    stored.Width = width();
    stored.Height = height();
    stored.Panel1Width = Panes_->TreePane()->width();
    stored.Panel5Height = Panes_->ListPane()->height();
    stored.StartInFolder = Panes_->SelectedFolderPath();
    stored.ListMode = ListModeOf(ToolBar_->PressedViewButton());
    stored.Options = Settings_;
    SettingsFile_.Write(stored);
}

void TMainFrm::SetSaveColors(int32_t saveColors)
{
    Settings_.SaveColors = saveColors;
    SaveColorCount_ = SaveColorsToColorCount(saveColors, DisplayBits_);
}

void TMainFrm::SetListViewStyle(TViewStyle style) { Panes_->SetListViewStyle(style); }

void TMainFrm::closeEvent(QCloseEvent* event)
{
    Guarded([this] { FormClose(); });
    event->accept();
}

void TMainFrm::FormClose()
{
    StopBackgroundWork();
    // A failed write is reported and the window still closes: keeping it
    // open would not make the settings file writable.
    try {
        SaveSettings();
    } catch (const std::exception& failure) {
        ShowException(failure);
    }
    if (WorkIcon_)
        WorkIcon_->ReleaseHandle();
    WorkIcon_.reset();
}

void TMainFrm::BeginScan(const std::string& path, bool oneFileMode)
{
    if (!ScanEngine_)
        return;
    // The scan empties the lists a batch save may still be reading.
    BatchSave_->Stop();
    ScanEngine_->SetWithSub(Settings_.WithSub);
    ScanEngine_->SetFileExt(Settings_.FileExt);
    ScanEngine_->SetOneFileMode(oneFileMode);
    ScanEngine_->BeginScan(path);
    // Its icons are named by their places in the scan.
    Grid_->ForgetSharpIcons();
}

void TMainFrm::EndScan()
{
    if (ScanEngine_)
        ScanEngine_->EndScan();
}

void TMainFrm::StopBackgroundWork()
{
    EndScan();
    BatchSave_->Stop();
}

void TMainFrm::SetStatusText(int panel, const QString& text)
{
    if (panel >= 0 && std::size_t(panel) < StatusPanels_.size())
        StatusPanels_[std::size_t(panel)]->setText(text);
}

QString TMainFrm::StatusText(int panel) const
{
    if (panel >= 0 && std::size_t(panel) < StatusPanels_.size())
        return StatusPanels_[std::size_t(panel)]->text();
    return {};
}

} // namespace orbisk
