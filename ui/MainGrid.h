#pragma once

#include "core/ScanView.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QKeyEvent;
class QLabel;
class QPainter;
class QRect;
class QWidget;

namespace orbisk {

class ScanEngine;
class SharpIconCache;
class TDrawGrid;
class TGridDrag;
class WindowWake;
struct IconEntry;

// The main window's icon grid pane: the caption strip (Panel7) over the icon
// grid (DrawGrid1), both in Panel6. It paints the scan's icons, marks them
// (double-click, dragging a block, Space), drags marked ones out
// (TGridDrag), deletes the current one (Delete),
// names the current icon in the status bar, and is the scan's view: the
// engine sizes the grid and sets the caption through it, and its status
// texts go to the window's status bar.
//
// Icons are drawn from the 32-pixel handles of the list, or, on a screen of
// more device pixels, from sharper images that SharpIconCache makes on a job
// and the grid repaints for when they are ready.
class TMainGrid : public QObject, public ScanView {
public:
    static constexpr int Panel7Height = 18;
    static constexpr int PaneMinHeight = 60;

    // statusText shows a text in one of the window's status bar panels.
    explicit TMainGrid(std::function<void(int panel, const QString& text)> statusText, QObject* parent = nullptr);
    ~TMainGrid() override;

    // Panel6, to be placed in the window; the grid and caption live in it.
    QWidget* Pane() const;
    TDrawGrid* DrawGrid1() const { return DrawGrid1_; }
    // Dragging marked icons out of the grid; null until a scan is attached.
    TGridDrag* Drag() const { return Drag_.get(); }

    // The scan whose icons are shown; null draws nothing.
    void Attach(ScanEngine* engine);
    // Called after each growth a scan asks for, once the counts are set.
    std::function<void(long long iconCount, int fitColumns, int fitRows)> AfterGrow;
    // Delete pressed in the grid; the window stops its background work and
    // then calls DeleteCurrentIcon.
    std::function<void()> OnDeleteKey;

    // Fits the grid to its width and to the icons there are, and repaints it.
    void ArrangeGrid();
    // Removes the icon of the current cell (the engine ends a running scan
    // first), arranges the grid and names the icon the cell shows now in the
    // status bar; an empty current cell changes nothing.
    void DeleteCurrentIcon();
    // The index of the icon the current cell shows (it may be past the end).
    long long CurrentIconIndex() const;
    // Draws entry index's cell at once (after its mark changed).
    void DrawIconCell(long long index, const QRect& cellRect);
    // Marks every icon in the block of cells, both ends included.
    void MarkRange(int left, int top, int right, int bottom);
    // Marks or unmarks every icon and repaints.
    void MarkAll(bool marked);
    // The third panel's text for the icon in cell (col, row).
    void ShowIconName(int col, int row);
    // The icons drawn on a screen whose pixel ratio is above 1 (null until
    // the grid first paints on one).
    SharpIconCache* SharpIcons() const { return SharpIcons_.get(); }
    // A new scan numbers its icons anew: the sharp icons made so far go.
    void ForgetSharpIcons();

    // ScanView, on the window thread.
    void SetPanelText(int panel, const std::string& text) override;
    void SetCaption(const std::string& text) override;
    int ColCount() const override;
    int RowCount() const override;
    void SetColCount(int columns) override;
    void SetRowCount(int rows) override;
    int ClientWidth() const override;
    int ClientHeight() const override;
    void Repaint() override;
    using ScanView::ArrangeGrid;
    void GrowGrid(long long iconCount, int fitColumns, int fitRows) override;

    QString CaptionText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DrawGrid1DrawCell(QPainter& canvas, int col, int row, const QRect& rect, unsigned state);
    void DrawGrid1SelectCell(int col, int row, bool& canSelect);
    void DrawGrid1DblClick();
    void DrawGrid1KeyDown(QKeyEvent& key);
    void DrawGrid1MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // Draws entry's icon from its group's best image when the screen has
    // more than 32 device pixels for it and that image is ready; false when
    // the 32-pixel icon is to be drawn.
    bool DrawSharpIcon(QPainter& canvas, const IconEntry& entry, int x, int y);
    void EnsureSharpCapacity();

    std::function<void(int, const QString&)> StatusText_;
    ScanEngine* Engine_ = nullptr;
    QWidget* Panel6_ = nullptr;
    QLabel* Panel7_ = nullptr;
    TDrawGrid* DrawGrid1_ = nullptr;
    // The cache's job wakes the window through SharpRepaint_, which repaints
    // the grid once for all the icons made meanwhile.
    std::unique_ptr<WindowWake> SharpRepaint_;
    std::unique_ptr<SharpIconCache> SharpIcons_;
    // Made by Attach; it goes before the grid widget, which the window
    // destroys after this object.
    std::unique_ptr<TGridDrag> Drag_;
};

} // namespace orbisk
