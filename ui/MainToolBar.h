#pragma once

#include "ui/ListMode.h"

#include <QObject>
#include <QSize>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QActionGroup;
class QIcon;
class QMainWindow;
class QToolBar;
class QWidget;

namespace orbisk {

// A menu item or toolbar button with a caption, hint or image of its own that
// runs command; owned by parent.
QAction* CommandItem(QAction* command, const QString& caption, const QString& hint, const QIcon& image, QObject* parent);

// The main window's tool bars: the thin strip on top (MainToolBar) and
// ToolBar below it with the command buttons and the file list's view
// buttons. Its two spacers keep the view buttons over the file list and the
// about button at the right end as the window and the tree pane change size.
class TMainToolBar : public QObject {
public:
    static constexpr int ToolBarHeight = 42;
    static constexpr int ToolBarMinWidth = 559;
    static constexpr QSize ToolButtonSize { 44, 38 };

    // The commands that have buttons, left to right.
    struct Commands {
        QAction* StartScan;
        QAction* StopScan;
        QAction* DelIcon;
        QAction* SaveIcon;
        QAction* SelectAll;
        QAction* UnselectAll;
        QAction* DeleteSelected;
        QAction* SaveSelected;
        QAction* SettingsAct;
        QAction* AboutAct;
    };

    // Adds both tool bars to window.
    TMainToolBar(QMainWindow& window, const Commands& commands);

    // A view button was clicked: the file list takes that view style.
    std::function<void(TViewStyle style)> OnViewStyle;
    // Puts the button of style down, without a click.
    void PressViewButton(TViewStyle style);
    // The view button that is down.
    std::optional<TViewStyle> PressedViewButton() const;
    // The folder tree's pane is now width pixels wide.
    void FollowTreePane(int width);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* AddToolButton(QAction* action, const char* name);
    QWidget* AddToolSpacer(const char* name, int width, bool line);
    QAction* AddViewButton(const char* name, const QString& hint, int image, std::function<void()> click);
    void ToolBarResize();
    // The left edge of OptionsTb in the toolbar, from the widths before it.
    int OptionsTbLeft() const;
    QAction*& ViewButton(TViewStyle style) { return ViewButtons_[std::size_t(style)]; }

    QToolBar* MainToolBar_ = nullptr;
    QToolBar* ToolBar_ = nullptr;
    QWidget* ToolSeparator_ = nullptr;
    QWidget* OptionsTb_ = nullptr;
    QWidget* ToolSeparator4_ = nullptr;
    QActionGroup* ViewButtonGroup_ = nullptr;
    // LargeIconTb, SmallIconTb, ListTb and ReportTb, by the style they set.
    std::array<QAction*, 4> ViewButtons_ {};
};

} // namespace orbisk
