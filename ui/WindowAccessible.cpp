#include "ui/WindowAccessible.h"

#include "core/ScanEngine.h"
#include "ui/DrawGrid.h"
#include "ui/GridAccessible.h"
#include "ui/IconGroupCommands.h"
#include "ui/MainForm.h"

#include <QAction>
#include <QToolBar>
#include <QToolButton>

namespace orbisk {

namespace {

// The icon a cell shows; nullptr for an empty cell. A scan may be appending:
// only entries below the count read are touched.
const IconEntry* CellIcon(const TMainFrm& window, int col, int row)
{
    const ScanEngine* engine = window.Engine();
    const long long index = window.DrawGrid1()->CellIndex(col, row);
    if (!engine || index >= (long long)engine->Icons().size())
        return nullptr;
    return &engine->Icons()[std::size_t(index)];
}

QString CellName(const TMainFrm& window, int col, int row)
{
    const IconEntry* icon = CellIcon(window, col, row);
    if (!icon)
        return {};
    const std::string path = window.Engine()->FilePath(std::size_t(icon->FileIndex));
    const std::string name = path.substr(path.rfind('/') + 1);
    return QString::fromStdString(name + " #" + std::to_string(icon->IconIndex));
}

// The cell's tooltip: the group is read from the icon's file, so only when a
// tool asks for it.
QString CellDescription(TMainFrm& window, int col, int row)
{
    return window.GroupCommands() ? window.GroupCommands()->CellSizesText(col, row) : QString();
}

void NameToolButtons(QToolBar& toolBar)
{
    for (QAction* action : toolBar.actions()) {
        if (auto* button = qobject_cast<QToolButton*>(toolBar.widgetForAction(action))) {
            button->setAccessibleName(action->text());
            button->setAccessibleDescription(action->toolTip());
        }
    }
    // The button that opens the buttons a narrow window has no room for;
    // Qt gives it neither text nor name.
    for (QToolButton* more : toolBar.findChildren<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"))) {
        more->setAccessibleName(QStringLiteral("More buttons"));
        more->setAccessibleDescription(QStringLiteral("The toolbar's buttons that do not fit"));
    }
}

} // namespace

void ConnectWindowAccessibility(TMainFrm& window)
{
    TDrawGrid& grid = *window.DrawGrid1();
    SetGridCellText(grid,
                    { [&window](int col, int row) { return CellName(window, col, row); },
                      [&window](int col, int row) { return CellDescription(window, col, row); },
                      [&window](int col, int row) -> std::optional<bool> {
                          const IconEntry* icon = CellIcon(window, col, row);
                          if (!icon)
                              return std::nullopt;
                          return icon->Marked.load(std::memory_order_relaxed) != 0;
                      } });
    grid.setAccessibleName(QStringLiteral("Icons"));
    for (QToolBar* toolBar : window.findChildren<QToolBar*>())
        NameToolButtons(*toolBar);
}

} // namespace orbisk
