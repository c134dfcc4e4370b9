#include "ui/MainForm.h"

#include "core/ScanEngine.h"
#include "export/SaveColors.h"
#include "export/TafIcon.h"
#include "ui/DrawGrid.h"
#include "ui/MainImageList.h"
#include "ui/MessageBox.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace orbisk {

namespace {

constexpr QSize ToolButtonSize(44, 38);
constexpr int ToolBarHeight = 42;
constexpr int ToolImageSize = 32;
// StartTb and StopTb take 88 pixels; this puts the view buttons 4 pixels
// right of the tree pane, over the file list they control.
constexpr int ToolSeparatorShortfall = 84;

QVBoxLayout* BareLayout(QWidget* owner)
{
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

// An empty white well where a pane's control sits.
QFrame* PanePlaceholder()
{
    auto* well = new QFrame;
    well->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    well->setBackgroundRole(QPalette::Base);
    well->setAutoFillBackground(true);
    return well;
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
    BuildToolBars();
    BuildPanes();
    BuildStatusBar();
    resize(DesignedWidth, DesignedHeight);
    FormCreate();
}

TMainFrm::~TMainFrm() = default;

void TMainFrm::BuildToolBars()
{
    MainToolBar_ = new QToolBar(this);
    MainToolBar_->setObjectName(QStringLiteral("MainToolBar"));
    MainToolBar_->setMovable(false);
    MainToolBar_->setFixedHeight(2);
    MainToolBar_->addSeparator();
    addToolBar(Qt::TopToolBarArea, MainToolBar_);
    addToolBarBreak(Qt::TopToolBarArea);

    ToolBar_ = new QToolBar(this);
    ToolBar_->setObjectName(QStringLiteral("ToolBar"));
    ToolBar_->setMovable(false);
    ToolBar_->setFixedHeight(ToolBarHeight);
    ToolBar_->setIconSize(QSize(ToolImageSize, ToolImageSize));
    ToolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    addToolBar(Qt::TopToolBarArea, ToolBar_);

    ToolSeparator_ = new QWidget(ToolBar_);
    ToolSeparator_->setObjectName(QStringLiteral("ToolSeparator"));
    ToolBar_->addWidget(ToolSeparator_);

    ViewButtons_ = new QActionGroup(this);
    ViewButtons_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    LargeIconTb_ = AddViewButton(QStringLiteral("Large icons"), LargeIconsImage, &TMainFrm::LargeIconTbClick);
    LargeIconTb_->setObjectName(QStringLiteral("LargeIconTb"));
    SmallIconTb_ = AddViewButton(QStringLiteral("Small icons"), SmallIconsImage, &TMainFrm::SmallIconTbClick);
    SmallIconTb_->setObjectName(QStringLiteral("SmallIconTb"));
    ListTb_ = AddViewButton(QStringLiteral("List"), ListImage, &TMainFrm::ListTbClick);
    ListTb_->setObjectName(QStringLiteral("ListTb"));
    ReportTb_ = AddViewButton(QStringLiteral("Details"), DetailsImage, &TMainFrm::ReportTbClick);
    ReportTb_->setObjectName(QStringLiteral("ReportTb"));
}

QAction* TMainFrm::AddViewButton(const QString& hint, int image, void (TMainFrm::*click)())
{
    auto* action = new QAction(MainImageListIcon(image), hint, this);
    action->setToolTip(hint);
    action->setCheckable(true);
    ViewButtons_->addAction(action);
    ToolBar_->addAction(action);
    if (QWidget* button = ToolBar_->widgetForAction(action))
        button->setFixedSize(ToolButtonSize);
    connect(action, &QAction::triggered, this, [this, action, click](bool checked) {
        // Once a view button is down one stays down: clicking it again
        // keeps it down and sets its view style once more.
        if (!checked)
            action->setChecked(true);
        (this->*click)();
    });
    return action;
}

void TMainFrm::BuildPanes()
{
    Panel1_ = new QFrame;
    Panel1_->setObjectName(QStringLiteral("Panel1"));
    Panel1_->setMinimumWidth(Panel1MinWidth);
    BareLayout(Panel1_)->addWidget(PanePlaceholder());
    Panel1_->installEventFilter(this);

    Panel5_ = new QFrame;
    Panel5_->setObjectName(QStringLiteral("Panel5"));
    Panel5_->setMinimumHeight(PaneMinHeight);
    BareLayout(Panel5_)->addWidget(PanePlaceholder());

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
    if (watched == Panel1_ && event->type() == QEvent::Resize)
        Panel1Resize();
    // The panel's layout has resized the grid by now.
    if (watched == Panel6_ && event->type() == QEvent::Resize)
        Panel6Resize();
    return QMainWindow::eventFilter(watched, event);
}

void TMainFrm::Panel1Resize()
{
    ToolSeparator_->setFixedWidth(std::max(Panel1_->width() - ToolSeparatorShortfall, 0));
}

void TMainFrm::FormCreate()
{
    // The first look at the screen's depth, on the window thread: it is
    // remembered, so that icons saved by a worker get the same depth.
    SaveColorCount = ScreenColorCount();
    const bool created = CreateScanObjects();
    if (!created) {
        ShowMessage(QStringLiteral("Can not initialize memory"));
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    }
    SetUpSettingsFile();
    LoadSettings();
    SkipFolderSelected_ = 2;
    // A run that could not start must not overwrite the user's settings.
    if (!created)
        SettingsFile_.reset();
}

bool TMainFrm::CreateScanObjects()
{
    try {
        ScanEngine_ = std::make_unique<ScanEngine>(*this);
        WorkIcon_ = std::make_unique<TafIcon>();
        return true;
    } catch (const std::exception&) {
        ScanEngine_.reset();
        return false;
    }
}

void TMainFrm::SetUpSettingsFile()
{
    if (const auto path = PrepareSettingsFilePath(SettingsLocation_))
        SettingsFile_ = std::make_unique<TIniFile>(*path);
    else
        ShowMessage(QStringLiteral("Can not create file orbisk.ini"));
}

void TMainFrm::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TMainFrm::FormClose()
{
    EndScan();
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
    ScanEngine_->SetWithSub(Settings_.WithSub);
    ScanEngine_->SetFileExt(Settings_.FileExt);
    ScanEngine_->SetOneFileMode(oneFileMode);
    ScanEngine_->BeginScan(path);
}

void TMainFrm::EndScan()
{
    if (ScanEngine_)
        ScanEngine_->EndScan();
}

std::string TMainFrm::SettingsFileName() const { return SettingsFile_ ? SettingsFile_->FileName() : std::string(); }

std::string TMainFrm::SelectedFolderPath() const
{
    // The tree's start folder, the root, until the user selects another.
    return "/";
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

void TMainFrm::SetCaptionText(const QString& text) { Panel7_->setText(text); }

} // namespace orbisk
