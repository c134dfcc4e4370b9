#pragma once

#include <string>

namespace orbisk {

// What a scan shows, seen from the engine: the main window implements it over
// its status bar, caption strip and icon grid; orbisk-extract over plain
// variables. Every call comes on the window thread (the thread that made the
// ScanEngine), never from the scanning worker.
class ScanView {
public:
    // The status bar panels, left to right.
    enum Panel { FilesPanel = 0, ProgressPanel = 1, DetailPanel = 2 };

    virtual ~ScanView() = default;

    virtual void SetPanelText(int panel, const std::string& text) = 0;
    // The caption strip above the grid (Panel7).
    virtual void SetCaption(const std::string& text) = 0;

    virtual int ColCount() const = 0;
    virtual int RowCount() const = 0;
    virtual void SetColCount(int columns) = 0;
    virtual void SetRowCount(int rows) = 0;
    // The grid's client area in pixels, inside its borders and scroll bars.
    virtual int ClientWidth() const = 0;
    virtual int ClientHeight() const = 0;
    // Repaints the whole grid.
    virtual void Repaint() = 0;

    // Fits the counts to the client width and the icon count (GridLayout),
    // setting the columns before the rows and only when either changes, then
    // repaints in every case.
    virtual void ArrangeGrid(long long iconCount);
    // Lets the grid grow for the icon that made the count iconCount, without a
    // repaint: the grid redraws what its new counts bring into view.
    virtual void GrowGrid(long long iconCount, int fitColumns, int fitRows);
};

} // namespace orbisk
