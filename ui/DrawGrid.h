#pragma once

#include "core/GridLayout.h"

#include <QAbstractScrollArea>

#include <functional>

class QPainter;

namespace orbisk {

// A block of cells, from its first cell to its last, both included.
struct TGridRect {
    int Left = 0, Top = 0; // the first cell's column and row
    int Right = 0, Bottom = 0; // the last cell's
    bool Contains(int col, int row) const { return col >= Left && col <= Right && row >= Top && row <= Bottom; }
    friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

// How a cell is being painted.
enum TGridDrawState : unsigned { gdSelected = 1, gdFocused = 2 };

// A grid of equal square cells that its owner draws: no fixed rows or
// columns, 1-pixel grid lines, counts that only the owner sets, a current cell
// and a rectangular selected block (dragging with the left button, except
// from a cell the owner drags out of the grid; Shift with a click or with the
// keys), the current cell drawn as selected, scroll bars when needed, no
// editing and no Tab navigation.
//
// It knows nothing of what the cells show: the owner paints them and reacts
// to the user through the On... events, which all come on the window thread.
// Coordinates given to and taken from the owner are the grid's client
// coordinates (the viewport's), so a point left of or above the cells has a
// negative x or y.
class TDrawGrid : public QAbstractScrollArea {
    Q_OBJECT

public:
    // The icon grid's layout (core/GridLayout.h), which the scan also uses.
    static constexpr int DefaultColWidth = GridCellPixels;
    static constexpr int DefaultRowHeight = GridCellPixels;
    static constexpr int GridLineWidth = GridLinePixels;
    static constexpr int ColStep = GridCellStep;
    static constexpr int RowStep = GridCellStep;

    explicit TDrawGrid(QWidget* parent = nullptr);

    int ColCount() const { return colCount_; }
    int RowCount() const { return rowCount_; }
    // The cell's place counted row by row from the first cell: the index of
    // what the owner shows there when it lays its items out in rows.
    long long CellIndex(int col, int row) const { return (long long)row * colCount_ + col; }
    // Counts below 1 count as 1. The current cell and the block are pulled in
    // when they fall outside; the cells brought into view are repainted.
    void SetColCount(int columns);
    void SetRowCount(int rows);

    // The current cell.
    int Col() const { return col_; }
    int Row() const { return row_; }
    // The selected block: the rectangle between the block's anchor and the
    // current cell.
    TGridRect Selection() const;
    // Moves the current cell as a click would (extend: as a Shift+click),
    // asking OnSelectCell first, and scrolls it into view.
    void FocusCell(int col, int row, bool extend = false);

    // The client area: inside the frame and the scroll bars that the present
    // counts call for, whether or not they have been laid out yet.
    int ClientWidth() const;
    int ClientHeight() const;
    // A cell's rectangle in client coordinates (without its grid lines).
    QRect CellRect(int col, int row) const;
    // The cell at a client point; false when the point lies on no cell.
    bool MouseToCell(QPoint point, int& col, int& row) const;

    // Repaints the whole grid (at the next paint).
    void Repaint();
    // Paints the part of the client area at once.
    void RepaintRect(const QRect& rect);
    // Paints one cell at the next paint.
    void InvalidateCell(int col, int row);

    // Paints a cell over its background (the highlight colour inside the
    // selected block, the window colour elsewhere). The painter's pen is the
    // text colour and its brush the window colour.
    std::function<void(QPainter& canvas, int col, int row, const QRect& rect, unsigned state)> OnDrawCell;
    // The current cell is about to move to (col, row); clearing canSelect
    // keeps it where it is.
    std::function<void(int col, int row, bool& canSelect)> OnSelectCell;
    // A double-click with the left button; the first click has made its cell
    // current.
    std::function<void()> OnDblClick;
    // A key pressed while the grid has the focus, before the grid moves the
    // current cell for it. Accepting the event keeps the grid from handling it.
    std::function<void(QKeyEvent& key)> OnKeyDown;
    // A mouse button released after it was pressed in the grid, at a client
    // point that may lie outside it.
    std::function<void(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)> OnMouseUp;
    // Whether a left-button press on the cell, without Shift, may start a
    // drag out of the grid. Such a press makes the cell current as a click
    // does but starts no block; once the pointer has moved the platform's
    // drag distance, OnStartDrag is called. Without it, every left-button
    // drag selects a block.
    std::function<bool(int col, int row)> OnCanDrag;
    std::function<void()> OnStartDrag;

signals:
    // The column or the row count changed.
    void CountsChanged();
    // The current cell or the selected block changed.
    void CurrentCellChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    struct ScrollBarNeed {
        bool horizontal = false;
        bool vertical = false;
    };
    ScrollBarNeed NeededScrollBars() const;
    void UpdateScrollBars();
    int HorizontalOffset() const;
    int VerticalOffset() const;
    int FullyVisibleRows() const;

    // Moves the current cell to (col, row), clamped into the grid, asking
    // OnSelectCell; with extend the block's anchor stays, otherwise it follows.
    // Returns false when the move was refused.
    bool MoveCurrent(int col, int row, bool extend);
    // The cell for a client point, clamped into the grid (for dragging).
    void ClampedCell(QPoint point, int& col, int& row) const;
    void ScrollInView(int col, int row);
    void InvalidateBlock(const TGridRect& block);
    bool MoveByKey(const QKeyEvent& event);

    void PaintLines(QPainter& painter, const TGridRect& cells) const;
    void PaintCell(QPainter& painter, int col, int row, const TGridRect& selection);

    int colCount_ = 1;
    int rowCount_ = 1;
    int col_ = 0;
    int row_ = 0;
    int anchorCol_ = 0;
    int anchorRow_ = 0;
    bool selecting_ = false;
    // A press that may become a drag out of the grid, and where it was.
    bool dragPending_ = false;
    QPoint pressPoint_;
};

} // namespace orbisk
