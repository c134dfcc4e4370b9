// The main window's tool bars: the thin strip on top and ToolBar below it,
// whose two spacers keep the view buttons over the file list and the about
// button at the right end as the window and the tree pane change size.

#include "ui/MainForm.h"

#include "ui/ErrorGuard.h"
#include "ui/MainImageList.h"

#include <QAction>
#include <QActionGroup>
#include <QFrame>
#include <QLayout>
#include <QToolBar>

#include <algorithm>

namespace orbisk {

namespace {

// StartTb and StopTb take 88 pixels; this puts the view buttons 4 pixels
// right of the tree pane, over the file list they control.
constexpr int ToolSeparatorShortfall = 84;
// OptionsTb, AboutTb and one pixel: AboutTb ends at the toolbar's right end.
constexpr int ToolSeparator4Shortfall = 89;
constexpr int GroupSeparatorWidth = 11;

} // namespace

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
    ToolBar_->setIconSize(QSize(MainImageSize, MainImageSize));
    ToolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    // After the icon size, which lets the toolbar forget its sizes.
    ToolBar_->setFixedHeight(ToolBarHeight);
    ToolBar_->setMinimumWidth(ToolBarMinWidth);
    // Buttons and spacers sit edge to edge from the toolbar's left end, so
    // that the widths below place them.
    ToolBar_->layout()->setContentsMargins(0, 0, 0, 0);
    ToolBar_->layout()->setSpacing(0);
    addToolBar(Qt::TopToolBarArea, ToolBar_);

    AddToolButton(CommandItem(StartScan_, StartScan_->text(), QStringLiteral("Start scsan  <F5>"), StartScan_->icon()),
                  "StartTb");
    AddToolButton(CommandItem(StopScan_, StopScan_->text(), QStringLiteral("Stop scan  <Esc>"), StopScan_->icon()),
                  "StopTb");
    ToolSeparator_ = AddToolSpacer("ToolSeparator", 0, false);

    ViewButtons_ = new QActionGroup(this);
    ViewButtons_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    LargeIconTb_
        = AddViewButton("LargeIconTb", QStringLiteral("Large icons"), LargeIconsImage, &TMainFrm::LargeIconTbClick);
    SmallIconTb_
        = AddViewButton("SmallIconTb", QStringLiteral("Small icons"), SmallIconsImage, &TMainFrm::SmallIconTbClick);
    ListTb_ = AddViewButton("ListTb", QStringLiteral("List"), ListImage, &TMainFrm::ListTbClick);
    ReportTb_ = AddViewButton("ReportTb", QStringLiteral("Details"), DetailsImage, &TMainFrm::ReportTbClick);
    AddToolSpacer("ToolSeparator2", GroupSeparatorWidth, true);

    AddToolButton(DelIcon_, "DelIconTb");
    AddToolButton(SaveIcon_, "SaveIconTb");
    AddToolButton(SelectAll_, "SelAllTb");
    AddToolButton(UnselectAll_, "UnselAllTb");
    AddToolButton(DeleteSelected_, "DelSelectedTb");
    AddToolButton(SaveSelected_, "SaveSelectedTb");
    AddToolSpacer("ToolSeparator3", GroupSeparatorWidth, true);

    OptionsTb_ = AddToolButton(SettingsAct_, "OptionsTb");
    ToolSeparator4_ = AddToolSpacer("ToolSeparator4", 0, false);
    const QIcon aboutImage = MainImageListIcon(AboutToolBarImage);
    AddToolButton(CommandItem(AboutAct_, AboutAct_->text(), QStringLiteral("About"), aboutImage), "AboutTb");
    ToolBar_->installEventFilter(this);
}

QWidget* TMainFrm::AddToolButton(QAction* action, const char* name)
{
    ToolBar_->addAction(action);
    QWidget* button = ToolBar_->widgetForAction(action);
    button->setObjectName(QLatin1String(name));
    button->setFixedSize(ToolButtonSize);
    return button;
}

// A gap between buttons; a group gap shows a thin line in its middle.
QWidget* TMainFrm::AddToolSpacer(const char* name, int width, bool line)
{
    auto* spacer = new QFrame(ToolBar_);
    spacer->setObjectName(QLatin1String(name));
    if (line)
        spacer->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    spacer->setFixedWidth(width);
    ToolBar_->addWidget(spacer);
    return spacer;
}

QAction* TMainFrm::AddViewButton(const char* name, const QString& hint, int image, void (TMainFrm::*click)())
{
    auto* action = new QAction(MainImageListIcon(image), hint, this);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint);
    action->setCheckable(true);
    ViewButtons_->addAction(action);
    AddToolButton(action, name);
    connect(action, &QAction::triggered, this, [this, action, click](bool checked) {
        Guarded([&] {
            // Once a view button is down one stays down: clicking it again
            // keeps it down and sets its view style once more.
            if (!checked)
                action->setChecked(true);
            (this->*click)();
        });
    });
    return action;
}

void TMainFrm::Panel1Resize()
{
    ToolSeparator_->setFixedWidth(std::max(Panel1_->width() - ToolSeparatorShortfall, 0));
    ToolBarResize();
}

// A window narrower than its buttons gives no room: the spacer shrinks to
// nothing and the buttons that do not fit move into the toolbar's overflow
// menu.
void TMainFrm::ToolBarResize()
{
    ToolSeparator4_->setFixedWidth(std::max(ToolBar_->width() - OptionsTbLeft() - ToolSeparator4Shortfall, 0));
}

// Worked out from the widths of what lies before OptionsTb rather than read
// from its position, which the toolbar updates only at its next layout.
int TMainFrm::OptionsTbLeft() const
{
    int left = 0;
    for (QAction* action : ToolBar_->actions()) {
        QWidget* widget = ToolBar_->widgetForAction(action);
        if (widget == OptionsTb_)
            break;
        if (widget)
            left += widget->width();
    }
    return left;
}

} // namespace orbisk
