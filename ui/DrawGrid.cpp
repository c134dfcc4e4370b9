#include "ui/DrawGrid.h"

#include "ui/GridContrast.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <climits>

namespace orbisk {

namespace {

// Pixels that count cells take, kept within what a scroll bar can hold.
int Extent(int count, int step) { return int(std::min<long long>((long long)count * step, INT_MAX)); }

TGridRect Span(int col1, int row1, int col2, int row2)
{
    return { std::min(col1, col2), std::min(row1, row2), std::max(col1, col2), std::max(row1, row2) };
}

} // namespace

TDrawGrid::TDrawGrid(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Every paint covers its whole rectangle, so Qt need not clear it first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setBackgroundRole(QPalette::Base);
    horizontalScrollBar()->setSingleStep(ColStep);
    verticalScrollBar()->setSingleStep(RowStep);
    UpdateScrollBars();
}

void TDrawGrid::SetColCount(int columns)
{
    columns = std::max(columns, 1);
    if (columns == colCount_)
        return;
    colCount_ = columns;
    col_ = std::min(col_, columns - 1);
    anchorCol_ = std::min(anchorCol_, columns - 1);
    UpdateScrollBars();
    viewport()->update();
    emit CountsChanged();
}

void TDrawGrid::SetRowCount(int rows)
{
    rows = std::max(rows, 1);
    if (rows == rowCount_)
        return;
    rowCount_ = rows;
    row_ = std::min(row_, rows - 1);
    anchorRow_ = std::min(anchorRow_, rows - 1);
    UpdateScrollBars();
    viewport()->update();
    emit CountsChanged();
}

TGridRect TDrawGrid::Selection() const { return Span(anchorCol_, anchorRow_, col_, row_); }

void TDrawGrid::FocusCell(int col, int row, bool extend) { MoveCurrent(col, row, extend); }

// Decided here rather than read from the laid-out viewport: Qt shows and
// hides scroll bars later, from the event loop, but the grid's owner must
// know the client area as soon as the counts change (a second arrangement
// after a scan relies on it).
TDrawGrid::ScrollBarNeed TDrawGrid::NeededScrollBars() const
{
    const QSize area = maximumViewportSize();
    const int contentWidth = Extent(colCount_, ColStep);
    const int contentHeight = Extent(rowCount_, RowStep);
    const int barWidth = verticalScrollBar()->sizeHint().width();
    const int barHeight = horizontalScrollBar()->sizeHint().height();
    ScrollBarNeed need;
    need.vertical = contentHeight > area.height();
    need.horizontal = contentWidth > area.width() - (need.vertical ? barWidth : 0);
    if (need.horizontal && !need.vertical)
        need.vertical = contentHeight > area.height() - barHeight;
    return need;
}

int TDrawGrid::ClientWidth() const
{
    const int width = maximumViewportSize().width() - (NeededScrollBars().vertical ? verticalScrollBar()->sizeHint().width() : 0);
    return std::max(width, 0);
}

int TDrawGrid::ClientHeight() const
{
    const int height = maximumViewportSize().height() - (NeededScrollBars().horizontal ? horizontalScrollBar()->sizeHint().height() : 0);
    return std::max(height, 0);
}

void TDrawGrid::UpdateScrollBars()
{
    const int width = ClientWidth();
    const int height = ClientHeight();
    horizontalScrollBar()->setRange(0, std::max(Extent(colCount_, ColStep) - width, 0));
    horizontalScrollBar()->setPageStep(std::max(width, 1));
    verticalScrollBar()->setRange(0, std::max(Extent(rowCount_, RowStep) - height, 0));
    verticalScrollBar()->setPageStep(std::max(height, 1));
}

int TDrawGrid::HorizontalOffset() const { return horizontalScrollBar()->value(); }

int TDrawGrid::VerticalOffset() const { return verticalScrollBar()->value(); }

int TDrawGrid::FullyVisibleRows() const { return std::max((ClientHeight() + GridLineWidth) / RowStep, 1); }

QRect TDrawGrid::CellRect(int col, int row) const
{
    return { col * ColStep - HorizontalOffset(), row * RowStep - VerticalOffset(), DefaultColWidth, DefaultRowHeight };
}

bool TDrawGrid::MouseToCell(QPoint point, int& col, int& row) const
{
    const long long x = (long long)point.x() + HorizontalOffset();
    const long long y = (long long)point.y() + VerticalOffset();
    if (point.x() < 0 || point.y() < 0 || x >= (long long)colCount_ * ColStep || y >= (long long)rowCount_ * RowStep)
        return false;
    col = int(x / ColStep);
    row = int(y / RowStep);
    return true;
}

void TDrawGrid::ClampedCell(QPoint point, int& col, int& row) const
{
    const long long x = std::max<long long>((long long)point.x() + HorizontalOffset(), 0);
    const long long y = std::max<long long>((long long)point.y() + VerticalOffset(), 0);
    col = int(std::min<long long>(x / ColStep, colCount_ - 1));
    row = int(std::min<long long>(y / RowStep, rowCount_ - 1));
}

void TDrawGrid::Repaint() { viewport()->update(); }

void TDrawGrid::RepaintRect(const QRect& rect) { viewport()->repaint(rect); }

void TDrawGrid::InvalidateCell(int col, int row) { viewport()->update(CellRect(col, row)); }

void TDrawGrid::InvalidateBlock(const TGridRect& block)
{
    const QRect first = CellRect(block.Left, block.Top);
    const QRect last = CellRect(block.Right, block.Bottom);
    viewport()->update(first.united(last).intersected(viewport()->rect()));
}

bool TDrawGrid::MoveCurrent(int col, int row, bool extend)
{
    col = std::clamp(col, 0, colCount_ - 1);
    row = std::clamp(row, 0, rowCount_ - 1);
    bool canSelect = true;
    if (OnSelectCell)
        OnSelectCell(col, row, canSelect);
    if (!canSelect)
        return false;
    const TGridRect before = Selection();
    const bool moved = col != col_ || row != row_;
    col_ = col;
    row_ = row;
    if (!extend) {
        anchorCol_ = col;
        anchorRow_ = row;
    }
    const bool changed = moved || Selection() != before;
    if (changed) {
        InvalidateBlock(before);
        InvalidateBlock(Selection());
    }
    ScrollInView(col, row);
    if (changed)
        emit CurrentCellChanged();
    return true;
}

void TDrawGrid::ScrollInView(int col, int row)
{
    const auto bring = [](QScrollBar* bar, long long start, int step, int client) {
        if (start < bar->value())
            bar->setValue(int(start));
        else if (start + step > (long long)bar->value() + client)
            bar->setValue(int(std::min<long long>(start + step - client, INT_MAX)));
    };
    bring(horizontalScrollBar(), (long long)col * ColStep, ColStep, ClientWidth());
    bring(verticalScrollBar(), (long long)row * RowStep, RowStep, ClientHeight());
}

void TDrawGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TDrawGrid::scrollContentsBy(int, int) { viewport()->update(); }

void TDrawGrid::mousePressEvent(QMouseEvent* event)
{
    // Only the left button selects: a right-click leaves the current cell
    // and the block as they are, for the pop-up menu to act on.
    if (event->button() != Qt::LeftButton)
        return;
    int col = 0, row = 0;
    if (!MouseToCell(event->position().toPoint(), col, row))
        return;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (!shift && OnCanDrag && OnCanDrag(col, row)) {
        selecting_ = false;
        dragPending_ = MoveCurrent(col, row, false);
        pressPoint_ = event->position().toPoint();
        return;
    }
    selecting_ = MoveCurrent(col, row, shift);
}

void TDrawGrid::mouseMoveEvent(QMouseEvent* event)
{
    if (dragPending_) {
        if ((event->position().toPoint() - pressPoint_).manhattanLength() < QApplication::startDragDistance())
            return;
        // The drag takes the release: nothing of this press is left.
        dragPending_ = false;
        if (OnStartDrag)
            OnStartDrag();
        return;
    }
    if (!selecting_)
        return;
    int col = 0, row = 0;
    ClampedCell(event->position().toPoint(), col, row);
    if (col != col_ || row != row_)
        MoveCurrent(col, row, true);
}

void TDrawGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        selecting_ = false;
        dragPending_ = false;
    }
    if (OnMouseUp) {
        const QPoint at = event->position().toPoint();
        OnMouseUp(event->button(), event->modifiers(), at.x(), at.y());
    }
}

// Only on a cell: a double-click on the bare area beside the cells must not
// act on the current cell, which may lie anywhere. A double-click whose first
// press did not land on this cell (two quick clicks on neighbouring cells) is
// a press here, so it never acts on the cell clicked before.
void TDrawGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    int col = 0, row = 0;
    if (event->button() != Qt::LeftButton || !MouseToCell(event->position().toPoint(), col, row))
        return;
    if (col != col_ || row != row_) {
        mousePressEvent(event);
        return;
    }
    if (OnDblClick)
        OnDblClick();
}

bool TDrawGrid::MoveByKey(const QKeyEvent& event)
{
    const bool ctrl = event.modifiers() & Qt::ControlModifier;
    const int lastCol = colCount_ - 1;
    const int lastRow = rowCount_ - 1;
    int col = col_, row = row_;
    switch (event.key()) {
    case Qt::Key_Left: --col; break;
    case Qt::Key_Right: ++col; break;
    case Qt::Key_Up: --row; break;
    case Qt::Key_Down: ++row; break;
    case Qt::Key_PageUp: row -= FullyVisibleRows(); break;
    case Qt::Key_PageDown: row += FullyVisibleRows(); break;
    case Qt::Key_Home:
        col = 0;
        row = ctrl ? 0 : row;
        break;
    case Qt::Key_End:
        col = lastCol;
        row = ctrl ? lastRow : row;
        break;
    default:
        return false;
    }
    MoveCurrent(col, row, event.modifiers() & Qt::ShiftModifier);
    return true;
}

void TDrawGrid::keyPressEvent(QKeyEvent* event)
{
    if (OnKeyDown) {
        event->ignore();
        OnKeyDown(*event);
        if (event->isAccepted())
            return;
    }
    if (MoveByKey(*event))
        event->accept();
    else
        QAbstractScrollArea::keyPressEvent(event);
}

void TDrawGrid::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    InvalidateCell(col_, row_);
}

void TDrawGrid::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    InvalidateCell(col_, row_);
}

void TDrawGrid::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRect dirty = event->rect();
    painter.fillRect(dirty, palette().color(QPalette::Base));
    int left = 0, top = 0, right = 0, bottom = 0;
    ClampedCell(dirty.topLeft(), left, top);
    ClampedCell(dirty.bottomRight(), right, bottom);
    // A dirty area wholly right of or below the cells holds none of them.
    const QRect span = CellRect(left, top).united(CellRect(right, bottom)).adjusted(0, 0, GridLineWidth, GridLineWidth);
    if (!span.intersects(dirty))
        return;
    const TGridRect cells { left, top, right, bottom };
    PaintLines(painter, cells);

    painter.setPen(QPen(palette().color(QPalette::Text), 0));
    painter.setBrush(palette().color(QPalette::Base));
    const TGridRect selection = Selection();
    for (int row = top; row <= bottom; ++row) {
        for (int col = left; col <= right; ++col)
            PaintCell(painter, col, row, selection);
    }
}

void TDrawGrid::PaintLines(QPainter& painter, const TGridRect& cells) const
{
    const QColor line = GridLineColor(palette());
    const QRect first = CellRect(cells.Left, cells.Top);
    const QRect last = CellRect(cells.Right, cells.Bottom);
    const int lineTop = first.top();
    const int lineLeft = first.left();
    const int lineHeight = last.bottom() + GridLineWidth - lineTop + 1;
    const int lineWidth = last.right() + GridLineWidth - lineLeft + 1;
    for (int col = cells.Left; col <= cells.Right; ++col)
        painter.fillRect(CellRect(col, cells.Top).right() + 1, lineTop, GridLineWidth, lineHeight, line);
    for (int row = cells.Top; row <= cells.Bottom; ++row)
        painter.fillRect(lineLeft, CellRect(cells.Left, row).bottom() + 1, lineWidth, GridLineWidth, line);
}

void TDrawGrid::PaintCell(QPainter& painter, int col, int row, const TGridRect& selection)
{
    const QRect rect = CellRect(col, row);
    unsigned state = 0;
    if (selection.Contains(col, row)) {
        state |= gdSelected;
        painter.fillRect(rect, palette().color(QPalette::Highlight));
    }
    const bool current = col == col_ && row == row_;
    if (current && hasFocus())
        state |= gdFocused;
    if (OnDrawCell)
        OnDrawCell(painter, col, row, rect, state);
    // Dots in the highlighted-text colour on a line in the highlight colour:
    // seen on whatever the owner painted (a mark's outline, an icon), not
    // only on the highlight.
    if (state & gdFocused) {
        painter.save();
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 0));
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        painter.setPen(QPen(palette().color(QPalette::HighlightedText), 0, Qt::DotLine));
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        painter.restore();
    }
}

} // namespace orbisk
