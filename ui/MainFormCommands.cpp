// The main window's commands: the action list, the main menu and the pop-up
// menus that point at it, the key preview (Esc) and the commands that act on
// the scan and on the icon list.

#include "ui/MainForm.h"

#include "core/ScanEngine.h"
#include "export/SaveColors.h"
#include "shell/controls/TStShellListView.h"
#include "shell/controls/TStShellTreeView.h"
#include "ui/AboutBox.h"
#include "ui/DrawGrid.h"
#include "ui/ErrorGuard.h"
#include "ui/EventHook.h"
#include "ui/IconGroupCommands.h"
#include "ui/MainImageList.h"
#include "ui/MainToolBar.h"
#include "widgets/MessageBox.h"
#include "ui/OptionsDlg.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

namespace orbisk {

void TMainFrm::CreateActions()
{
    struct Command {
        QAction* TMainFrm::*action;
        const char* name;
        const char* caption;
        const char* hint; // nullptr: none
        int image;
        void (TMainFrm::*execute)();
    };
    static const Command commands[] = {
        { &TMainFrm::AboutAct_, "AboutAct", "About", nullptr, AboutImage, &TMainFrm::AboutActExecute },
        { &TMainFrm::SettingsAct_, "SettingsAct", "Settings", "Settings", SettingsImage,
          &TMainFrm::SettingsActExecute },
        { &TMainFrm::StartScan_, "StartScan", "Start scan", "Start scsan", StartScanImage,
          &TMainFrm::StartScanExecute },
        { &TMainFrm::StopScan_, "StopScan", "Stop scan", "Stop scan", StopScanImage, &TMainFrm::StopScanExecute },
        { &TMainFrm::SaveIcon_, "SaveIcon", "Save icon", "Save icon", SaveIconImage, &TMainFrm::SaveIconExecute },
        { &TMainFrm::DelIcon_, "DelIcon", "Delete icon", "Delete icon", DeleteIconImage, &TMainFrm::DelIconExecute },
        { &TMainFrm::SelectAll_, "SelectAll", "Select all", "Select all", SelectAllImage, &TMainFrm::SelectAllExecute },
        { &TMainFrm::UnselectAll_, "UnselectAll", "Unselect all", "Unselect All", UnselectAllImage,
          &TMainFrm::UnselectAllExecute },
        { &TMainFrm::DeleteSelected_, "DeleteSelected", "Delete selected icons", "Delete selected icons",
          DeleteSelectedImage, &TMainFrm::DeleteSelectedExecute },
        { &TMainFrm::SaveSelected_, "SaveSelected", "Save selected icons", "Save selected icons", SaveSelectedImage,
          &TMainFrm::SaveSelectedExecute },
        { &TMainFrm::GoodBy_, "GoodBy", "Exit", nullptr, ExitImage, &TMainFrm::GoodByExecute },
    };
    // No command has a shortcut and none is ever disabled: each handler sees
    // for itself whether there is anything to do.
    for (const Command& command : commands) {
        auto* action = new QAction(MainImageListIcon(command.image), QLatin1String(command.caption), this);
        action->setObjectName(QLatin1String(command.name));
        if (command.hint)
            action->setToolTip(QLatin1String(command.hint));
        action->setProperty("ImageIndex", command.image);
        action->setIconVisibleInMenu(true);
        const auto execute = command.execute;
        connect(action, &QAction::triggered, this, GuardedSlot([this, execute] { (this->*execute)(); }));
        this->*command.action = action;
        ActionList_.append(action);
    }

    KeyPreview_ = new EventHook(
        [this](QObject* watched, QEvent* event) {
            if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
                return false;
            auto* receiver = static_cast<QWidget*>(watched);
            // The window's own widgets only, not its dialogs or menus; and
            // only the first delivery of a key, not its way up to the parents.
            const QWidget* focus = QApplication::focusWidget();
            if (receiver->window() != this || (focus && receiver != focus))
                return false;
            bool consumed = false;
            Guarded([&] { consumed = FormKeyPress(receiver, *static_cast<QKeyEvent*>(event)); });
            return consumed;
        },
        this);
    qApp->installEventFilter(KeyPreview_);
}

void TMainFrm::BuildMainMenu()
{
    MainMenu1_ = menuBar();
    MainMenu1_->setObjectName(QStringLiteral("MainMenu1"));
    Action1_ = MainMenu1_->addMenu(QStringLiteral("Action"));
    Action1_->setObjectName(QStringLiteral("Action1"));
    Action1_->addAction(CommandItem(StartScan_, QStringLiteral("Start loading"), {}, StartScan_->icon(), this));
    Action1_->addAction(CommandItem(StopScan_, QStringLiteral("Stop loading"), {}, StopScan_->icon(), this));
    Action1_->addActions({ SaveIcon_, DelIcon_, SelectAll_, UnselectAll_, DeleteSelected_, SaveSelected_, GoodBy_ });
    // The menu bar would show an image instead of the caption.
    MainMenu1_->addAction(CommandItem(SettingsAct_, SettingsAct_->text(), {}, {}, this));
    MainMenu1_->addAction(CommandItem(AboutAct_, AboutAct_->text(), {}, {}, this));
}

void TMainFrm::BuildPopupMenus()
{
    GridPopupMenu_ = new QMenu(this);
    GridPopupMenu_->setObjectName(QStringLiteral("GridPopupMenu"));
    GridPopupMenu_->addActions({ DelIcon_, SaveIcon_, SelectAll_, UnselectAll_, DeleteSelected_, SaveSelected_ });
    // The group items follow the commands', after a separator.
    GroupCommands_ = new TIconGroupCommands(*this, *GridPopupMenu_);
    // A right-click leaves the current cell where it is (the grid moves it
    // with the left button only), so the menu acts on the current icon.
    TDrawGrid* grid = Grid_->DrawGrid1();
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this, [this, grid](const QPoint& at) {
        Guarded([&] { GridPopupMenu_->popup(grid->viewport()->mapToGlobal(at)); });
    });

    TreePopupMenu_ = new QMenu(this);
    TreePopupMenu_->setObjectName(QStringLiteral("TreePopupMenu"));
    TreePopupMenu_->addActions({ StartScan_, StopScan_ });
    TStShellTreeView* tree = Panes_->ShellTree();
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree, &QWidget::customContextMenuRequested, this, [this, tree](const QPoint& at) {
        Guarded([&] {
            // The menu is the tree's: Start scan scans the tree's folder even
            // when the list had the focus before the click.
            tree->setFocus(Qt::PopupFocusReason);
            TreePopupMenu_->popup(tree->viewport()->mapToGlobal(at));
        });
    });
}

bool TMainFrm::FormKeyPress(QWidget* receiver, QKeyEvent& key)
{
    if (key.key() == Qt::Key_Escape) {
        EndScan();
        return true;
    }
    Panes_->PreviewKey(receiver, key);
    return false;
}

// A running scan goes on behind the box.
void TMainFrm::AboutActExecute() { ShowAboutBox(this); }

// The options take effect where they are read: at the next scan, folder
// choice or save; they reach the settings file when the window closes.
void TMainFrm::SettingsActExecute()
{
    StopBackgroundWork();
    int32_t colorCount = SaveColorCount_;
    if (ExecuteOptionsDialog(this, Settings_, ScreenColorCount(DisplayBits_), colorCount))
        SaveColorCount_ = colorCount;
}

void TMainFrm::StartScanExecute() { Panes_->ScanFocused(); }

void TMainFrm::StopScanExecute() { EndScan(); }

void TMainFrm::DelIconExecute()
{
    StopBackgroundWork();
    Grid_->DeleteCurrentIcon();
}

void TMainFrm::SelectAllExecute()
{
    StopBackgroundWork();
    Grid_->MarkAll(true);
}

void TMainFrm::UnselectAllExecute()
{
    StopBackgroundWork();
    Grid_->MarkAll(false);
}

void TMainFrm::DeleteSelectedExecute()
{
    StopBackgroundWork();
    if (!ScanEngine_ || !ScanEngine_->Icons().AnyIconMarked())
        return;
    if (!AskYesNo(QStringLiteral("Warning !"), QStringLiteral("Delete selected icons ?")))
        return;
    ScanEngine_->DeleteMarkedIcons();
    // The current cell may show another icon now.
    TDrawGrid* grid = Grid_->DrawGrid1();
    Grid_->ShowIconName(grid->Col(), grid->Row());
}

void TMainFrm::GoodByExecute() { close(); }

} // namespace orbisk
