#include "ui/MainToolBar.h"

#include "ui/ErrorGuard.h"
#include "ui/MainImageList.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QFrame>
#include <QLayout>
#include <QMainWindow>
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

QAction* CommandItem(QAction* command, const QString& caption, const QString& hint, const QIcon& image, QObject* parent)
{
    auto* item = new QAction(image, caption, parent);
    item->setObjectName(command->objectName() + QLatin1String("Item"));
    if (!hint.isEmpty())
        item->setToolTip(hint);
    item->setIconVisibleInMenu(true);
    // The command runs its own handler, inside its own guard.
    QObject::connect(item, &QAction::triggered, command, &QAction::trigger);
    return item;
}

TMainToolBar::TMainToolBar(QMainWindow& window, const Commands& commands)
    : QObject(&window)
{
    MainToolBar_ = new QToolBar(&window);
    MainToolBar_->setObjectName(QStringLiteral("MainToolBar"));
    MainToolBar_->setMovable(false);
    MainToolBar_->setFixedHeight(2);
    MainToolBar_->addSeparator();
    window.addToolBar(Qt::TopToolBarArea, MainToolBar_);
    window.addToolBarBreak(Qt::TopToolBarArea);

    ToolBar_ = new QToolBar(&window);
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
    window.addToolBar(Qt::TopToolBarArea, ToolBar_);

    QAction* start = commands.StartScan;
    QAction* stop = commands.StopScan;
    AddToolButton(CommandItem(start, start->text(), QStringLiteral("Start scsan  <F5>"), start->icon(), this), "StartTb");
    AddToolButton(CommandItem(stop, stop->text(), QStringLiteral("Stop scan  <Esc>"), stop->icon(), this), "StopTb");
    ToolSeparator_ = AddToolSpacer("ToolSeparator", 0, false);

    ViewButtonGroup_ = new QActionGroup(this);
    ViewButtonGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const auto show = [this](TViewStyle style) {
        if (OnViewStyle)
            OnViewStyle(style);
    };
    ViewButton(TViewStyle::vsIcon) = AddViewButton("LargeIconTb", QStringLiteral("Large icons"), LargeIconsImage,
        [show] { show(TViewStyle::vsIcon); });
    ViewButton(TViewStyle::vsSmallIcon) = AddViewButton("SmallIconTb", QStringLiteral("Small icons"), SmallIconsImage,
        [show] { show(TViewStyle::vsSmallIcon); });
    // Passing through the details view makes the list sort by name again
    // before it shows the plain list.
    ViewButton(TViewStyle::vsList) = AddViewButton("ListTb", QStringLiteral("List"), ListImage, [show] {
        show(TViewStyle::vsReport);
        show(TViewStyle::vsList);
    });
    ViewButton(TViewStyle::vsReport) = AddViewButton("ReportTb", QStringLiteral("Details"), DetailsImage,
        [show] { show(TViewStyle::vsReport); });
    AddToolSpacer("ToolSeparator2", GroupSeparatorWidth, true);

    AddToolButton(commands.DelIcon, "DelIconTb");
    AddToolButton(commands.SaveIcon, "SaveIconTb");
    AddToolButton(commands.SelectAll, "SelAllTb");
    AddToolButton(commands.UnselectAll, "UnselAllTb");
    AddToolButton(commands.DeleteSelected, "DelSelectedTb");
    AddToolButton(commands.SaveSelected, "SaveSelectedTb");
    AddToolSpacer("ToolSeparator3", GroupSeparatorWidth, true);

    OptionsTb_ = AddToolButton(commands.SettingsAct, "OptionsTb");
    ToolSeparator4_ = AddToolSpacer("ToolSeparator4", 0, false);
    const QIcon aboutImage = MainImageListIcon(AboutToolBarImage);
    QAction* about = commands.AboutAct;
    AddToolButton(CommandItem(about, about->text(), QStringLiteral("About"), aboutImage, this), "AboutTb");
    ToolBar_->installEventFilter(this);
}

QWidget* TMainToolBar::AddToolButton(QAction* action, const char* name)
{
    ToolBar_->addAction(action);
    QWidget* button = ToolBar_->widgetForAction(action);
    button->setObjectName(QLatin1String(name));
    button->setFixedSize(ToolButtonSize);
    return button;
}

// A gap between buttons; a group gap shows a thin line in its middle.
QWidget* TMainToolBar::AddToolSpacer(const char* name, int width, bool line)
{
    auto* spacer = new QFrame(ToolBar_);
    spacer->setObjectName(QLatin1String(name));
    if (line)
        spacer->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    spacer->setFixedWidth(width);
    ToolBar_->addWidget(spacer);
    return spacer;
}

QAction* TMainToolBar::AddViewButton(const char* name, const QString& hint, int image, std::function<void()> click)
{
    auto* action = new QAction(MainImageListIcon(image), hint, this);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint);
    action->setCheckable(true);
    ViewButtonGroup_->addAction(action);
    AddToolButton(action, name);
    connect(action, &QAction::triggered, this, [action, click = std::move(click)](bool checked) {
        Guarded([&] {
            // Once a view button is down one stays down: clicking it again
            // keeps it down and sets its view style once more.
            if (!checked)
                action->setChecked(true);
            click();
        });
    });
    return action;
}

void TMainToolBar::FollowTreePane(int width)
{
    ToolSeparator_->setFixedWidth(std::max(width - ToolSeparatorShortfall, 0));
    ToolBarResize();
}

bool TMainToolBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ToolBar_ && event->type() == QEvent::Resize)
        Guarded([this] { ToolBarResize(); });
    return QObject::eventFilter(watched, event);
}

std::optional<TViewStyle> TMainToolBar::PressedViewButton() const
{
    for (const TViewStyle style :
        { TViewStyle::vsReport, TViewStyle::vsList, TViewStyle::vsSmallIcon, TViewStyle::vsIcon }) {
        if (ViewButtons_[std::size_t(style)]->isChecked())
            return style;
    }
    return std::nullopt;
}

void TMainToolBar::PressViewButton(TViewStyle style)
{
    ViewButton(style)->setChecked(true);
}

// A window narrower than its buttons gives no room: the spacer shrinks to
// nothing and the buttons that do not fit move into the toolbar's overflow
// menu.
void TMainToolBar::ToolBarResize()
{
    ToolSeparator4_->setFixedWidth(std::max(ToolBar_->width() - OptionsTbLeft() - ToolSeparator4Shortfall, 0));
}

// Worked out from the widths of what lies before OptionsTb rather than read
// from its position, which the toolbar updates only at its next layout.
int TMainToolBar::OptionsTbLeft() const
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
