// The grid as assistive tools see it: a table interface over TDrawGrid with
// one cell object per cell. Qt's item-view accessibility needs a model, which
// the grid has not; this is the same shape made by hand. A grid may hold a
// million cells: cell objects are made only for the cells a tool asks about,
// kept by index until the counts change, and nothing here runs per icon the
// scan appends.

#include "ui/GridAccessible.h"

#include "ui/DrawGrid.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QHash>
#include <QPointer>
#include <QWindow>

#include <algorithm>
#include <climits>
#include <utility>

namespace orbisk {

namespace {

// The owner's cell texts, kept with the grid (a child object, gone with it).
class CellTextHolder : public QObject {
public:
    CellTextHolder(TDrawGrid& grid, TGridCellText cells)
        : QObject(&grid)
        , Cells(std::move(cells))
    {
    }
    TGridCellText Cells;
};

const TGridCellText* CellTextOf(const TDrawGrid& grid)
{
    for (QObject* child : grid.children()) {
        if (auto* holder = dynamic_cast<CellTextHolder*>(child))
            return &holder->Cells;
    }
    return nullptr;
}

GridAccessibleEventHook& EventHook()
{
    static GridAccessibleEventHook hook;
    return hook;
}

// Whether anyone listens: the platform's bridge once a screen reader runs,
// or a hook. Nothing is told, and no cell object made, while no one does.
bool Listening() { return QAccessible::isActive() || EventHook(); }

void Tell(QAccessibleEvent& event)
{
    if (EventHook())
        EventHook()(event);
    else
        QAccessible::updateAccessibility(&event);
}

long long CellCount(const TDrawGrid& grid) { return (long long)grid.ColCount() * grid.RowCount(); }

class GridCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    GridCellAccessible(TDrawGrid* grid, int col, int row)
        : grid_(grid)
        , col_(col)
        , row_(row)
    {
    }

    bool isValid() const override { return grid_ && col_ < grid_->ColCount() && row_ < grid_->RowCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return grid_ ? grid_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(grid_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    void setText(QAccessible::Text, const QString&) override { }

    QString text(QAccessible::Text t) const override
    {
        const TGridCellText* cells = isValid() ? CellTextOf(*grid_) : nullptr;
        if (!cells)
            return {};
        if (t == QAccessible::Name && cells->Name)
            return cells->Name(col_, row_);
        if (t == QAccessible::Description && cells->Description)
            return cells->Description(col_, row_);
        return {};
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect cell = grid_->CellRect(col_, row_);
        return { grid_->viewport()->mapToGlobal(cell.topLeft()), cell.size() };
    }

    QAccessible::State state() const override
    {
        QAccessible::State st;
        if (!isValid()) {
            st.invalid = true;
            return st;
        }
        st.selectable = true;
        st.focusable = true;
        st.selected = grid_->Selection().Contains(col_, row_);
        st.focused = grid_->hasFocus() && grid_->Col() == col_ && grid_->Row() == row_;
        if (!grid_->viewport()->rect().intersects(grid_->CellRect(col_, row_)))
            st.offscreen = true;
        const TGridCellText* cells = CellTextOf(*grid_);
        if (const auto checked = cells && cells->Checked ? cells->Checked(col_, row_) : std::nullopt) {
            st.checkable = true;
            st.checked = *checked;
        }
        return st;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this) : nullptr;
    }

    bool isSelected() const override { return isValid() && grid_->Selection().Contains(col_, row_); }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return col_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

    int Col() const { return col_; }
    int Row() const { return row_; }
    const TDrawGrid* Grid() const { return grid_; }

private:
    QPointer<TDrawGrid> grid_;
    int col_;
    int row_;
};

class GridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit GridAccessible(TDrawGrid* grid)
        : QAccessibleWidget(grid, QAccessible::Table)
    {
        connections_[0] = QObject::connect(grid, &TDrawGrid::CountsChanged, grid, [this] { CountsChanged(); });
        connections_[1] = QObject::connect(grid, &TDrawGrid::CurrentCellChanged, grid, [this] { CurrentMoved(); });
        // A tool hears of the grid's focus after the focus change itself: the
        // cell's focus is told once that has been told.
        connections_[2] = QObject::connect(qApp, &QApplication::focusChanged, grid, [this](QWidget*, QWidget* now) {
            // widget(), not Grid(): a grid being destroyed gives the focus
            // away after its TDrawGrid part has gone.
            if (now == widget())
                QMetaObject::invokeMethod(Grid(), [this] { CurrentMoved(); }, Qt::QueuedConnection);
        });
    }

    ~GridAccessible() override
    {
        for (const auto& connection : connections_)
            QObject::disconnect(connection);
        DropCells();
    }

    TDrawGrid* Grid() const { return static_cast<TDrawGrid*>(widget()); }

    int childCount() const override { return int(std::min<long long>(CellCount(*Grid()), INT_MAX)); }

    QAccessibleInterface* child(int index) const override
    {
        const int columns = Grid()->ColCount();
        if (index < 0 || index >= childCount())
            return nullptr;
        return Cell(index % columns, index / columns);
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto* cell = dynamic_cast<const GridCellAccessible*>(child);
        if (!cell || cell->Grid() != Grid() || !cell->isValid())
            return -1;
        return IndexOf(cell->Col(), cell->Row());
    }

    QAccessibleInterface* childAt(int x, int y) const override
    {
        int col = 0, row = 0;
        if (!Grid()->MouseToCell(Grid()->viewport()->mapFromGlobal(QPoint(x, y)), col, row))
            return nullptr;
        return Cell(col, row);
    }

    QAccessibleInterface* focusChild() const override
    {
        return Grid()->hasFocus() ? Cell(Grid()->Col(), Grid()->Row()) : nullptr;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QString columnDescription(int) const override { return {}; }
    QString rowDescription(int) const override { return {}; }
    int columnCount() const override { return Grid()->ColCount(); }
    int rowCount() const override { return Grid()->RowCount(); }

    QAccessibleInterface* cellAt(int row, int column) const override
    {
        if (row < 0 || column < 0 || row >= Grid()->RowCount() || column >= Grid()->ColCount())
            return nullptr;
        return Cell(column, row);
    }

    int selectedCellCount() const override
    {
        const TGridRect block = Grid()->Selection();
        return int(std::min<long long>((long long)(block.Right - block.Left + 1) * (block.Bottom - block.Top + 1),
                                       INT_MAX));
    }

    // Every cell of the block, so as many objects as it holds cells.
    QList<QAccessibleInterface*> selectedCells() const override
    {
        const TGridRect block = Grid()->Selection();
        QList<QAccessibleInterface*> cells;
        for (int row = block.Top; row <= block.Bottom; ++row) {
            for (int col = block.Left; col <= block.Right; ++col)
                cells.append(Cell(col, row));
        }
        return cells;
    }

    // A row is selected when the block spans all columns, a column when it
    // spans all rows.
    int selectedColumnCount() const override { return int(selectedColumns().size()); }
    int selectedRowCount() const override { return int(selectedRows().size()); }
    QList<int> selectedColumns() const override
    {
        const TGridRect block = Grid()->Selection();
        return block.Top == 0 && block.Bottom == Grid()->RowCount() - 1 ? Range(block.Left, block.Right) : QList<int>();
    }
    QList<int> selectedRows() const override
    {
        const TGridRect block = Grid()->Selection();
        return block.Left == 0 && block.Right == Grid()->ColCount() - 1 ? Range(block.Top, block.Bottom) : QList<int>();
    }
    bool isColumnSelected(int column) const override { return selectedColumns().contains(column); }
    bool isRowSelected(int row) const override { return selectedRows().contains(row); }
    // The block follows the current cell, which only the user moves.
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }

    void modelChange(QAccessibleTableModelChangeEvent*) override { DropCells(); }

    // Tells that the cells of block that a tool knows may have changed their
    // checked state.
    void CellsChecked(const TGridRect& block)
    {
        const int columns = Grid()->ColCount();
        QAccessible::State changed;
        changed.checked = true;
        for (auto it = cells_.cbegin(); it != cells_.cend(); ++it) {
            if (!block.Contains(it.key() % columns, it.key() / columns))
                continue;
            QAccessibleStateChangeEvent event(Grid(), changed);
            event.setChild(it.key());
            Tell(event);
        }
    }

private:
    static QList<int> Range(int first, int last)
    {
        QList<int> range;
        for (int i = first; i <= last; ++i)
            range.append(i);
        return range;
    }

    int IndexOf(int col, int row) const
    {
        return int(std::min<long long>(Grid()->CellIndex(col, row), INT_MAX));
    }

    QAccessibleInterface* Cell(int col, int row) const
    {
        const int index = IndexOf(col, row);
        if (const QAccessible::Id id = cells_.value(index))
            return QAccessible::accessibleInterface(id);
        auto* cell = new GridCellAccessible(Grid(), col, row);
        cells_.insert(index, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }

    void DropCells()
    {
        const QHash<int, QAccessible::Id> cells = std::exchange(cells_, {});
        for (const QAccessible::Id id : cells)
            QAccessible::deleteAccessibleInterface(id);
    }

    void CountsChanged()
    {
        DropCells();
        if (!Listening())
            return;
        QAccessibleTableModelChangeEvent event(Grid(), QAccessibleTableModelChangeEvent::ModelReset);
        Tell(event);
    }

    void CurrentMoved()
    {
        if (!Listening())
            return;
        QAccessibleEvent selection(Grid(), QAccessible::SelectionWithin);
        Tell(selection);
        if (!Grid()->hasFocus())
            return;
        QAccessibleEvent focus(Grid(), QAccessible::Focus);
        focus.setChild(IndexOf(Grid()->Col(), Grid()->Row()));
        Tell(focus);
    }

    // Cell objects by index (row * column count + column), as registered.
    mutable QHash<int, QAccessible::Id> cells_;
    QMetaObject::Connection connections_[3];
};

QAccessibleInterface* GridFactory(const QString& className, QObject* object)
{
    if (className != QLatin1String(TDrawGrid::staticMetaObject.className()))
        return nullptr;
    auto* grid = qobject_cast<TDrawGrid*>(object);
    return grid ? new GridAccessible(grid) : nullptr;
}

} // namespace

void SetGridCellText(TDrawGrid& grid, TGridCellText cells)
{
    static const bool installed = [] {
        QAccessible::installFactory(GridFactory);
        return true;
    }();
    (void)installed;
    new CellTextHolder(grid, std::move(cells));
    // With accessibility on while the window was built, Qt may have made
    // the grid a plain widget's interface already; it goes, and the next
    // question makes the table.
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(&grid);
    if (made && !dynamic_cast<GridAccessible*>(made))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

void SetGridAccessibleEventHook(GridAccessibleEventHook hook) { EventHook() = std::move(hook); }

void GridCellsChecked(TDrawGrid& grid, const TGridRect& block)
{
    if (!Listening())
        return;
    if (auto* table = dynamic_cast<GridAccessible*>(QAccessible::queryAccessibleInterface(&grid)))
        table->CellsChecked(block);
}

} // namespace orbisk
