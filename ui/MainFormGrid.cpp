// The main window's icon grid: how it paints the icons of the scan, names the
// current icon in the status bar, marks and deletes icons, and how the scan's
// window side (ScanView) reaches the grid, the status bar and the caption.

#include "ui/MainForm.h"

#include "core/ScanEngine.h"
#include "core/SharpIconCache.h"
#include "platform/jobs/WindowWake.h"
#include "export/TafIcon.h"
#include "ui/DrawGrid.h"
#include "ui/ErrorGuard.h"
#include "ui/GridAccessible.h"
#include "ui/GridContrast.h"
#include "platform/pixels/DrawIcon.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

namespace orbisk {

namespace {

// Where a cell's icon sits, from the cell's top-left corner.
constexpr int IconInset = 2;

QString DisplayText(const std::string& text) { return QString::fromStdString(text); }

} // namespace

void TMainFrm::ConnectGrid()
{
    DrawGrid1_->OnDrawCell = [this](QPainter& canvas, int col, int row, const QRect& rect, unsigned state) {
        Guarded([&] { DrawGrid1DrawCell(canvas, col, row, rect, state); });
    };
    DrawGrid1_->OnSelectCell = [this](int col, int row, bool& canSelect) {
        Guarded([&] { DrawGrid1SelectCell(col, row, canSelect); });
    };
    DrawGrid1_->OnDblClick = [this] { Guarded([this] { DrawGrid1DblClick(); }); };
    DrawGrid1_->OnKeyDown = [this](QKeyEvent& key) { Guarded([&] { DrawGrid1KeyDown(key); }); };
    DrawGrid1_->OnMouseUp = [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
        Guarded([&] { DrawGrid1MouseUp(button, shift, x, y); });
    };
}

long long TMainFrm::CurrentIconIndex() const
{
    return (long long)DrawGrid1_->Row() * DrawGrid1_->ColCount() + DrawGrid1_->Col();
}

// The worker may be appending meanwhile: the count is read once and only
// entries below it are touched (they are complete and never move).
void TMainFrm::DrawGrid1DrawCell(QPainter& canvas, int col, int row, const QRect& rect, unsigned)
{
    if (!ScanEngine_ || !WorkIcon_)
        return;
    const TIconList& icons = ScanEngine_->Icons();
    const long long index = (long long)row * DrawGrid1_->ColCount() + col;
    if (index >= (long long)icons.size())
        return;
    const IconEntry& entry = icons[std::size_t(index)];
    if (entry.Marked.load(std::memory_order_relaxed)) {
        const QBrush remembered = canvas.brush();
        canvas.setBrush(MarkColor);
        // The pen is changed only where the palette calls for it: a change
        // per marked cell costs the paint of a full view about a millisecond.
        const QColor outline = MarkOutlineColor(DrawGrid1_->palette());
        const QPen rememberedPen = canvas.pen();
        if (rememberedPen.color() != outline)
            canvas.setPen(QPen(outline, 0));
        canvas.drawRect(rect.adjusted(0, 0, -1, -1));
        if (rememberedPen.color() != outline)
            canvas.setPen(rememberedPen);
        canvas.setBrush(remembered);
    }
    if (DrawSharpIcon(canvas, entry, rect.left() + IconInset, rect.top() + IconInset))
        return;
    // Borrowed for the drawing only: the entry keeps owning its handle.
    WorkIcon_->SetHandle(entry.Handle);
    WorkIcon_->Draw(canvas, rect.left() + IconInset, rect.top() + IconInset);
    WorkIcon_->ReleaseHandle();
}

// The pixel ratio is read at every paint, so a window moved to a screen of
// another ratio asks for icons of the new size and, until they are made, draws
// the 32-pixel ones as on any screen.
bool TMainFrm::DrawSharpIcon(QPainter& canvas, const IconEntry& entry, int x, int y)
{
    const int pixels = SharpIconPixels(canvas.device()->devicePixelRatioF());
    if (pixels <= GridIconPixels || !entry.Handle)
        return false;
    if (!SharpIcons_) {
        QWidget* grid = DrawGrid1_->viewport();
        // Icons made together bring one repaint.
        SharpRepaint_ = std::make_unique<WindowWake>([grid] { grid->update(); });
        SharpIcons_ = std::make_unique<SharpIconCache>();
        SharpIcons_->SetOnReady([wake = SharpRepaint_.get()] { wake->Signal(); });
        EnsureSharpCapacity();
    }
    const HICON sharp = SharpIcons_->Find(entry.FileIndex, entry.IconIndex, pixels,
        [&] { return ScanEngine_->FilePath(std::size_t(entry.FileIndex)); });
    return sharp && DrawIconEx(canvas, x, y, sharp, GridIconPixels, GridIconPixels, DI_NORMAL);
}

// Twice the cells a screen of the grid shows, so that drawing a screen never
// drops icons drawn on it.
void TMainFrm::EnsureSharpCapacity()
{
    if (!SharpIcons_)
        return;
    const long long columns = DrawGrid1_->ClientWidth() / TDrawGrid::ColStep + 2;
    const long long rows = DrawGrid1_->ClientHeight() / TDrawGrid::RowStep + 2;
    SharpIcons_->EnsureCapacity(std::size_t(2 * columns * rows));
}

void TMainFrm::DrawIconCell(long long index, const QRect& cellRect)
{
    if (!ScanEngine_ || index < 0 || index >= (long long)ScanEngine_->Icons().size())
        return;
    DrawGrid1_->RepaintRect(cellRect);
}

// While a scan runs the third panel belongs to the scan's texts.
void TMainFrm::DrawGrid1SelectCell(int col, int row, bool&)
{
    if (ScanEngine_ && ScanEngine_->ScanStopped())
        ShowIconName(col, row);
}

void TMainFrm::ShowIconName(int col, int row)
{
    const long long index = (long long)row * DrawGrid1_->ColCount() + col;
    const bool icon = index < (long long)ScanEngine_->Icons().size();
    SetStatusText(DetailPanel, icon ? DisplayText(ScanEngine_->IconName(std::size_t(index))) : QString());
}

void TMainFrm::DrawGrid1DblClick()
{
    if (!ScanEngine_)
        return;
    const long long index = CurrentIconIndex();
    TIconList& icons = ScanEngine_->Icons();
    if (index >= (long long)icons.size())
        return;
    std::atomic<uint8_t>& marked = icons[std::size_t(index)].Marked;
    marked.store(marked.load(std::memory_order_relaxed) ? 0 : 1, std::memory_order_relaxed);
    DrawIconCell(index, DrawGrid1_->CellRect(DrawGrid1_->Col(), DrawGrid1_->Row()));
    const int col = DrawGrid1_->Col(), row = DrawGrid1_->Row();
    GridCellsChecked(*DrawGrid1_, { col, row, col, row });
}

// Space marks as the mouse does, for those who cannot use one: alone it
// toggles the current icon as a double-click does, with Shift it marks the
// selected block, a single cell too, as a release after dragging does.
void TMainFrm::DrawGrid1KeyDown(QKeyEvent& key)
{
    if (key.key() == Qt::Key_Space && (key.modifiers() == Qt::NoModifier || key.modifiers() == Qt::ShiftModifier)) {
        key.accept();
        if (key.modifiers() == Qt::NoModifier) {
            DrawGrid1DblClick();
            return;
        }
        const TGridRect block = DrawGrid1_->Selection();
        MarkRange(block.Left, block.Top, block.Right, block.Bottom);
        DrawGrid1_->Repaint();
        return;
    }
    if (key.key() != Qt::Key_Delete)
        return;
    key.accept();
    StopBackgroundWork();
    DeleteCurrentIcon();
}

void TMainFrm::DeleteCurrentIcon()
{
    if (!ScanEngine_)
        return;
    const int col = DrawGrid1_->Col();
    const int row = DrawGrid1_->Row();
    // The status bar named the icon just removed; the cell now shows the next
    // one, or nothing.
    if (ScanEngine_->DeleteCurrentIcon(col, row) && ScanEngine_->ScanStopped())
        ShowIconName(DrawGrid1_->Col(), DrawGrid1_->Row());
}

void TMainFrm::DrawGrid1MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)
{
    if (!ScanEngine_ || x < 0 || y < 0)
        return;
    const TGridRect block = DrawGrid1_->Selection();
    if (block.Left == block.Right && block.Top == block.Bottom)
        return;
    MarkRange(block.Left, block.Top, block.Right, block.Bottom);
    DrawGrid1_->Repaint();
}

void TMainFrm::MarkRange(int left, int top, int right, int bottom)
{
    if (!ScanEngine_)
        return;
    TIconList& icons = ScanEngine_->Icons();
    const long long columns = DrawGrid1_->ColCount();
    for (int row = top; row <= bottom; ++row) {
        for (int col = left; col <= right; ++col)
            icons.MarkIcon(std::size_t(row * columns + col));
    }
    GridCellsChecked(*DrawGrid1_, { left, top, right, bottom });
}

void TMainFrm::Panel6Resize()
{
    ArrangeGrid();
    EnsureSharpCapacity();
}

void TMainFrm::ArrangeGrid()
{
    if (ScanEngine_)
        ScanEngine_->ArrangeGrid();
}

void TMainFrm::SetPanelText(int panel, const std::string& text) { SetStatusText(panel, DisplayText(text)); }

void TMainFrm::SetCaption(const std::string& text) { SetCaptionText(DisplayText(text)); }

int TMainFrm::ColCount() const { return DrawGrid1_->ColCount(); }

int TMainFrm::RowCount() const { return DrawGrid1_->RowCount(); }

void TMainFrm::SetColCount(int columns) { DrawGrid1_->SetColCount(columns); }

void TMainFrm::SetRowCount(int rows) { DrawGrid1_->SetRowCount(rows); }

int TMainFrm::ClientWidth() const { return DrawGrid1_->ClientWidth(); }

int TMainFrm::ClientHeight() const { return DrawGrid1_->ClientHeight(); }

void TMainFrm::Repaint() { DrawGrid1_->Repaint(); }

// A new icon lands in a cell that may already be on screen, where no change of
// the counts would bring it into view: its cell is repainted.
void TMainFrm::GrowGrid(long long iconCount, int fitColumns, int fitRows)
{
    ScanView::GrowGrid(iconCount, fitColumns, fitRows);
    const long long index = iconCount - 1;
    const int columns = DrawGrid1_->ColCount();
    if (index >= 0 && index / columns < DrawGrid1_->RowCount())
        DrawGrid1_->InvalidateCell(int(index % columns), int(index / columns));
}

} // namespace orbisk
