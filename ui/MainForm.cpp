#include "ui/MainForm.h"

#include "core/ScanEngine.h"
#include "core/SharpIconCache.h"
#include "platform/jobs/WindowWake.h"
#include "export/SaveColors.h"
#include "export/TafIcon.h"
#include "platform/pixels/Display.h"
#include "shell/controls/TStShellListView.h"
#include "shell/controls/TStShellTreeView.h"
#include "ui/DrawGrid.h"
#include "ui/ErrorGuard.h"
#include "ui/GridDrag.h"
#include "ui/MessageBox.h"
#include "ui/SaveMarkedDlg.h"
#include "ui/WindowAccessible.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace orbisk {

namespace {

QVBoxLayout* BareLayout(QWidget* owner)
{
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
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
    , SettingsLocation_(settingsLocation)
{
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(QStringLiteral("Orbisk v1.2"));
    setAttribute(Qt::WA_DeleteOnClose);
    CreateActions();
    BuildMainMenu();
    BuildToolBars();
    BuildPanes();
    BuildStatusBar();
    BuildPopupMenus();
    ConnectWindowAccessibility(*this);
    resize(DesignedWidth, DesignedHeight);
    SaveMarkedDlg_ = new TSaveMarkedDlg(this);
    BatchSave_ = std::make_unique<BatchSave>(SaveMarkedDlg_->View());
    SaveMarkedDlg_->SetBatch(*BatchSave_);
    connect(SaveMarkedDlg_, &TSaveMarkedDlg::BatchEnded, this, [this] { DrawGrid1_->Repaint(); });
    FormCreate();
}

// The application outlives the window: what it reports while the widgets are
// torn down (focus moving away) must not reach the half-destroyed window.
TMainFrm::~TMainFrm()
{
    disconnect(qApp, nullptr, this, nullptr);
    // Its job posts to the grid.
    SharpIcons_.reset();
    // Its worker reads the lists and reports to the dialog.
    BatchSave_.reset();
    delete SaveMarkedDlg_;
    delete KeyPreview_;
}

void TMainFrm::BuildPanes()
{
    Panel1_ = new QFrame;
    Panel1_->setObjectName(QStringLiteral("Panel1"));
    Panel1_->setMinimumWidth(Panel1MinWidth);
    ShellTree_ = new TStShellTreeView;
    ShellTree_->setObjectName(QStringLiteral("ShellTree"));
    BareLayout(Panel1_)->addWidget(ShellTree_);
    Panel1_->installEventFilter(this);

    Panel5_ = new QFrame;
    Panel5_->setObjectName(QStringLiteral("Panel5"));
    Panel5_->setMinimumHeight(PaneMinHeight);
    ShellList_ = new TStShellListView;
    ShellList_->setObjectName(QStringLiteral("ShellList"));
    BareLayout(Panel5_)->addWidget(ShellList_);

    Panel7_ = new QLabel;
    Panel7_->setObjectName(QStringLiteral("Panel7"));
    Panel7_->setFixedHeight(Panel7Height);
    Panel7_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel7_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel7_->setIndent(2);
    // A long folder name is cut off rather than widening the window.
    Panel7_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

    DrawGrid1_ = new TDrawGrid;
    DrawGrid1_->setObjectName(QStringLiteral("DrawGrid1"));
    // As narrow as the user drags the splitter: it then shows one column.
    DrawGrid1_->setMinimumWidth(1);
    ConnectGrid();

    Panel6_ = new QWidget;
    Panel6_->setObjectName(QStringLiteral("Panel6"));
    Panel6_->setMinimumHeight(PaneMinHeight);
    Panel6_->installEventFilter(this);
    QVBoxLayout* panel6Layout = BareLayout(Panel6_);
    panel6Layout->addWidget(Panel7_);
    panel6Layout->addWidget(DrawGrid1_, 1);

    Splitter3_ = PaneSplitter(Qt::Vertical, "Splitter3", Panel5_, Panel6_);
    Panel2_ = new QWidget;
    Panel2_->setObjectName(QStringLiteral("Panel2"));
    BareLayout(Panel2_)->addWidget(Splitter3_);
    Splitter1_ = PaneSplitter(Qt::Horizontal, "Splitter1", Panel1_, Panel2_);

    Splitter1_->setSizes({ Panel1DesignedWidth, DesignedWidth - Panel1DesignedWidth - SplitterWidth });
    Splitter3_->setSizes({ Panel5DesignedHeight, DesignedHeight });
    setCentralWidget(Splitter1_);
    ConnectPane();
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

bool TMainFrm::eventFilter(QObject* watched, QEvent* event)
{
    Guarded([&] {
        if (event->type() == QEvent::Resize) {
            if (watched == Panel1_)
                Panel1Resize();
            else if (watched == ToolBar_)
                ToolBarResize();
            // The panel's layout has resized the grid by now.
            else if (watched == Panel6_)
                Panel6Resize();
        } else if (event->type() == QEvent::Paint)
            WatchTreeStartSelection(watched, event);
    });
    return QMainWindow::eventFilter(watched, event);
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
    SetUpSettingsFile();
    LoadSettings();
    OpenTreeOn(StartFolder_);
    ShellTree_->SetListView(ShellList_);
    ShellList_->SetTreeView(ShellTree_);
    SkipFolderSelected_ = true;
    // A run that could not start must not overwrite the user's settings.
    if (!created)
        SettingsFile_.reset();
}

bool TMainFrm::CreateScanObjects()
{
    try {
        ScanEngine_ = std::make_unique<ScanEngine>(*this);
        WorkIcon_ = std::make_unique<TafIcon>();
        GridDrag_ = new TGridDrag(*DrawGrid1_, *ScanEngine_,
                                  [this](const QString& text) { SetStatusText(DetailPanel, text); });
        return true;
    } catch (const std::exception&) {
        ScanEngine_.reset();
        return false;
    }
}

void TMainFrm::SetUpSettingsFile()
{
    if (const auto file = PrepareSettingsFile(SettingsLocation_)) {
        SettingsFile_ = std::make_unique<TIniFile>(file->path);
        SettingsReadOnly_ = file->readOnly;
    } else
        ShowMessage(QStringLiteral("Can not create file orbisk.ini"));
}

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
    if (SharpIcons_)
        SharpIcons_->Clear();
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

std::string TMainFrm::SettingsFileName() const { return SettingsFile_ ? SettingsFile_->FileName() : std::string(); }

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

void TMainFrm::SetCaptionText(const QString& text) { Panel7_->setText(text); }

} // namespace orbisk
