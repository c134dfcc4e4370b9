#include "ui/MainGrid.h"

#include "core/ScanEngine.h"
#include "core/SharpIconCache.h"
#include "platform/jobs/WindowWake.h"
#include "export/TafIcon.h"
#include "ui/DrawGrid.h"
#include "ui/ErrorGuard.h"
#include "ui/GridDrag.h"
#include "ui/GridAccessible.h"
#include "ui/GridContrast.h"
#include "platform/pixels/DrawIcon.h"
#include "widgets/DialogParts.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace orbisk {

namespace {

// Where a cell's icon sits, from the cell's top-left corner.
constexpr int IconInset = 2;

QString DisplayText(const std::string& text) { return QString::fromStdString(text); }

} // namespace

TMainGrid::TMainGrid(std::function<void(int panel, const QString& text)> statusText, QObject* parent)
    : QObject(parent)
    , StatusText_(std::move(statusText))
{
    Panel7_ = new QLabel;
    Panel7_->setObjectName(QStringLiteral("Panel7"));
    Panel7_->setFixedHeight(Panel7Height);
    Panel7_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel7_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel7_->setIndent(2);
    // A long folder name is cut off rather than widening the window.
    Panel7_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

    DrawGrid1_ = new TDrawGrid;
    DrawGrid1_->setObjectName(QStringLiteral("DrawGrid1"));
    // As narrow as the user drags the splitter: it then shows one column.
    DrawGrid1_->setMinimumWidth(1);

    Panel6_ = new QWidget;
    Panel6_->setObjectName(QStringLiteral("Panel6"));
    Panel6_->setMinimumHeight(PaneMinHeight);
    Panel6_->installEventFilter(this);
    QVBoxLayout* layout = BareLayout(Panel6_);
    layout->addWidget(Panel7_);
    layout->addWidget(DrawGrid1_, 1);

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

TMainGrid::~TMainGrid() = default;

QWidget* TMainGrid::Pane() const { return Panel6_; }

void TMainGrid::Attach(ScanEngine* engine)
{
    Engine_ = engine;
    // Marked icons are dragged out of the grid. The old drag lets go of the
    // grid's hooks before the new one takes them.
    Drag_.reset();
    if (engine)
        Drag_ = std::make_unique<TGridDrag>(*DrawGrid1_, *engine,
                                            [this](const QString& text) { StatusText_(DetailPanel, text); });
}

// The panel's layout has resized the grid by the time the panel hears of it.
bool TMainGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel6_ && event->type() == QEvent::Resize)
        Guarded([this] {
            ArrangeGrid();
            EnsureSharpCapacity();
        });
    return QObject::eventFilter(watched, event);
}

long long TMainGrid::CurrentIconIndex() const
{
    return DrawGrid1_->CellIndex(DrawGrid1_->Col(), DrawGrid1_->Row());
}

// The worker may be appending meanwhile: the count is read once and only
// entries below it are touched (they are complete and never move).
void TMainGrid::DrawGrid1DrawCell(QPainter& canvas, int col, int row, const QRect& rect, unsigned)
{
    if (!Engine_)
        return;
    const TIconList& icons = Engine_->Icons();
    const long long index = DrawGrid1_->CellIndex(col, row);
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
    // Lent for the drawing only: the entry keeps owning its handle.
    const TafIcon icon(entry.Handle);
    icon.Draw(canvas, rect.left() + IconInset, rect.top() + IconInset);
}

// The pixel ratio is read at every paint, so a window moved to a screen of
// another ratio asks for icons of the new size and, until they are made, draws
// the 32-pixel ones as on any screen.
bool TMainGrid::DrawSharpIcon(QPainter& canvas, const IconEntry& entry, int x, int y)
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
        [&] { return Engine_->FilePath(std::size_t(entry.FileIndex)); });
    return sharp && DrawIconEx(canvas, x, y, sharp, GridIconPixels, GridIconPixels, DI_NORMAL);
}

// Twice the cells a screen of the grid shows, so that drawing a screen never
// drops icons drawn on it.
void TMainGrid::EnsureSharpCapacity()
{
    if (!SharpIcons_)
        return;
    const long long columns = DrawGrid1_->ClientWidth() / TDrawGrid::ColStep + 2;
    const long long rows = DrawGrid1_->ClientHeight() / TDrawGrid::RowStep + 2;
    SharpIcons_->EnsureCapacity(std::size_t(2 * columns * rows));
}

void TMainGrid::DrawIconCell(long long index, const QRect& cellRect)
{
    if (!Engine_ || index < 0 || index >= (long long)Engine_->Icons().size())
        return;
    DrawGrid1_->RepaintRect(cellRect);
}

// While a scan runs the third panel belongs to the scan's texts.
void TMainGrid::DrawGrid1SelectCell(int col, int row, bool&)
{
    if (Engine_ && Engine_->ScanStopped())
        ShowIconName(col, row);
}

void TMainGrid::ShowIconName(int col, int row)
{
    if (!Engine_)
        return;
    const long long index = DrawGrid1_->CellIndex(col, row);
    const bool icon = index < (long long)Engine_->Icons().size();
    StatusText_(DetailPanel, icon ? DisplayText(Engine_->IconName(std::size_t(index))) : QString());
}

void TMainGrid::DrawGrid1DblClick()
{
    if (!Engine_)
        return;
    const long long index = CurrentIconIndex();
    TIconList& icons = Engine_->Icons();
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
void TMainGrid::DrawGrid1KeyDown(QKeyEvent& key)
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
    if (OnDeleteKey)
        OnDeleteKey();
}

void TMainGrid::DeleteCurrentIcon()
{
    if (!Engine_)
        return;
    const int col = DrawGrid1_->Col();
    const int row = DrawGrid1_->Row();
    // The status bar named the icon just removed; the cell now shows the next
    // one, or nothing.
    if (Engine_->DeleteCurrentIcon(col, row) && Engine_->ScanStopped())
        ShowIconName(DrawGrid1_->Col(), DrawGrid1_->Row());
}

void TMainGrid::DrawGrid1MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)
{
    if (!Engine_ || x < 0 || y < 0)
        return;
    const TGridRect block = DrawGrid1_->Selection();
    if (block.Left == block.Right && block.Top == block.Bottom)
        return;
    MarkRange(block.Left, block.Top, block.Right, block.Bottom);
    DrawGrid1_->Repaint();
}

void TMainGrid::MarkRange(int left, int top, int right, int bottom)
{
    if (!Engine_)
        return;
    TIconList& icons = Engine_->Icons();
    const long long columns = DrawGrid1_->ColCount();
    for (int row = top; row <= bottom; ++row) {
        for (int col = left; col <= right; ++col)
            icons.MarkIcon(std::size_t(row * columns + col));
    }
    GridCellsChecked(*DrawGrid1_, { left, top, right, bottom });
}

void TMainGrid::ArrangeGrid()
{
    if (Engine_)
        Engine_->ArrangeGrid();
}

void TMainGrid::MarkAll(bool marked)
{
    if (Engine_) {
        if (marked)
            Engine_->Icons().MarkAllIcons();
        else
            Engine_->Icons().UnmarkAllIcons();
    }
    DrawGrid1_->Repaint();
    GridCellsChecked(*DrawGrid1_, { 0, 0, DrawGrid1_->ColCount() - 1, DrawGrid1_->RowCount() - 1 });
}

void TMainGrid::ForgetSharpIcons()
{
    if (SharpIcons_)
        SharpIcons_->Clear();
}

void TMainGrid::SetPanelText(int panel, const std::string& text) { StatusText_(panel, DisplayText(text)); }

void TMainGrid::SetCaption(const std::string& text) { Panel7_->setText(DisplayText(text)); }

QString TMainGrid::CaptionText() const { return Panel7_->text(); }

int TMainGrid::ColCount() const { return DrawGrid1_->ColCount(); }

int TMainGrid::RowCount() const { return DrawGrid1_->RowCount(); }

void TMainGrid::SetColCount(int columns) { DrawGrid1_->SetColCount(columns); }

void TMainGrid::SetRowCount(int rows) { DrawGrid1_->SetRowCount(rows); }

int TMainGrid::ClientWidth() const { return DrawGrid1_->ClientWidth(); }

int TMainGrid::ClientHeight() const { return DrawGrid1_->ClientHeight(); }

void TMainGrid::Repaint() { DrawGrid1_->Repaint(); }

// A new icon lands in a cell that may already be on screen, where no change of
// the counts would bring it into view: its cell is repainted.
void TMainGrid::GrowGrid(long long iconCount, int fitColumns, int fitRows)
{
    ScanView::GrowGrid(iconCount, fitColumns, fitRows);
    const long long index = iconCount - 1;
    const int columns = DrawGrid1_->ColCount();
    if (index >= 0 && index / columns < DrawGrid1_->RowCount())
        DrawGrid1_->InvalidateCell(int(index % columns), int(index / columns));
    if (AfterGrow)
        AfterGrow(iconCount, fitColumns, fitRows);
}

} // namespace orbisk
