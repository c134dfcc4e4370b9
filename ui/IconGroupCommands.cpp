#include "ui/IconGroupCommands.h"

#include "core/ScanEngine.h"
#include "export/GroupIconFile.h"
#include "export/GroupPng.h"
#include "export/IconResourceText.h"
#include "export/IconSizesText.h"
#include "export/SaveIconName.h"
#include "ui/DrawGrid.h"
#include "ui/ErrorGuard.h"
#include "ui/EventHook.h"
#include "ui/MainForm.h"
#include "ui/SaveDialog.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QMimeData>
#include <QToolTip>

#include <memory>

namespace orbisk {

namespace {

const QStringList GroupFilters { QStringLiteral("Icon file with all sizes (*.ico)"),
                                 QStringLiteral("PNG image, largest size (*.png)") };
constexpr int IconFileEntry = 1;
constexpr int PngEntry = 2;

std::string IconName(const std::string& path, int number) { return path + " #" + std::to_string(number); }

// The sizes of the icon's group and, for an icon of a program or library,
// a second line naming its group's resource; empty when the group cannot be
// read. Made on a job: it reads the icon's file.
QString CellTipText(const std::string& path, int number)
{
    QString text = IconSizesText(path, number);
    if (const QString resource = text.isEmpty() ? QString() : IconResourceText(path, number); !resource.isEmpty())
        text += u'\n' + resource;
    return text;
}

IconGroup ReadGroupOrThrow(const std::string& path, int number)
{
    auto group = ReadIconGroup(path, number);
    if (!group)
        throw Exception("Cannot read the icon group of " + IconName(path, number) + " (" + group.error() + ")");
    return std::move(*group);
}

// The largest image that decodes, as Copy takes it; the largest when none
// does (writing it then fails with the reason).
std::size_t LargestDecodable(const IconGroup& group)
{
    const std::vector<std::size_t> order = LargestFirst(group);
    for (std::size_t i : order) {
        if (DecodeGroupImage(group, i))
            return i;
    }
    return order.empty() ? 0 : order.front();
}

QByteArray PngData(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return png;
}

} // namespace

TIconGroupCommands::TIconGroupCommands(TMainFrm& window, QMenu& gridMenu)
    : QObject(&window)
    , Window_(window)
{
    SaveIconGroup_ = new QAction(QStringLiteral("Save icon group..."), this);
    SaveIconGroup_->setObjectName(QStringLiteral("SaveIconGroup"));
    connect(SaveIconGroup_, &QAction::triggered, this, GuardedSlot([this] { SaveIconGroupExecute(); }));

    CopyIcon_ = new QAction(QStringLiteral("Copy"), this);
    CopyIcon_->setObjectName(QStringLiteral("CopyIcon"));
    CopyIcon_->setShortcut(QKeySequence::Copy);
    CopyIcon_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(CopyIcon_, &QAction::triggered, this, GuardedSlot([this] { CopyIconExecute(); }));

    RemoveDuplicates_ = new QAction(QStringLiteral("Remove duplicate icons"), this);
    RemoveDuplicates_->setObjectName(QStringLiteral("RemoveDuplicateIcons"));
    connect(RemoveDuplicates_, &QAction::triggered, this, GuardedSlot([this] { RemoveDuplicatesExecute(); }));

    gridMenu.addSeparator();
    gridMenu.addAction(SaveIconGroup_);
    gridMenu.addAction(CopyIcon_);
    gridMenu.addAction(RemoveDuplicates_);

    TDrawGrid* grid = Window_.DrawGrid1();
    // Ctrl+C works while the grid holds the focus.
    grid->addAction(CopyIcon_);
    auto* tips = new EventHook(
        [this](QObject*, QEvent* event) {
            if (event->type() != QEvent::ToolTip)
                return false;
            Guarded([&] { ShowCellTip(*static_cast<QHelpEvent*>(event)); });
            return true;
        },
        this);
    grid->viewport()->installEventFilter(tips);
}

std::optional<TIconGroupCommands::IconSource> TIconGroupCommands::IconAt(long long index) const
{
    const ScanEngine* engine = Window_.Engine();
    // A scan may be appending: only entries below the count read are touched.
    if (!engine || index < 0 || index >= (long long)engine->Icons().size())
        return std::nullopt;
    const IconEntry& entry = engine->Icons()[std::size_t(index)];
    if (entry.FileIndex < 0)
        return std::nullopt;
    std::string path = engine->FilePath(std::size_t(entry.FileIndex));
    if (path.empty())
        return std::nullopt;
    return IconSource { std::move(path), entry.IconIndex, entry.Handle };
}

void TIconGroupCommands::SaveIconGroupExecute()
{
    Window_.StopBackgroundWork();
    const auto icon = IconAt(Window_.Grid().CurrentIconIndex());
    if (!icon)
        return;
    // Read before the dialog: a file that has gone or changed is told at once.
    IconGroup group = ReadGroupOrThrow(icon->path, icon->number);
    const QString proposed
        = QFile::decodeName(QByteArray::fromStdString(ProposedIconFileName(icon->path, icon->number)));
    const auto chosen = ExecuteSaveDialog(&Window_, proposed, GroupFilters, SaveFilterIndex_, SaveDialogFolder_);
    if (!chosen || chosen->FilterIndex < IconFileEntry || chosen->FilterIndex > PngEntry)
        return;
    SaveFilterIndex_ = chosen->FilterIndex;
    const auto fileName = SaveFileNameWithExtension(chosen->FileName,
                                                    DialogFilterExtension(GroupFilters[chosen->FilterIndex - 1]));
    if (!fileName)
        return;
    if (chosen->FilterIndex == PngEntry) {
        WriteGroupPng(group, LargestDecodable(group), 0, *fileName);
        return;
    }
    WriteGroupIconFile(std::move(group), icon->handle, *fileName);
}

void TIconGroupCommands::CopyIconExecute()
{
    const auto icon = IconAt(Window_.Grid().CurrentIconIndex());
    if (!icon)
        return;
    CopyRead_.Start([path = icon->path, number = icon->number] { return LargestIconImage(path, number); },
        [this, name = IconName(icon->path, icon->number)](QImage image) {
            Guarded([&] { PutOnClipboard(image, name); });
        });
}

void TIconGroupCommands::PutOnClipboard(const QImage& image, const std::string& name)
{
    if (image.isNull())
        throw Exception("Cannot read the icon group of " + name);
    auto data = std::make_unique<QMimeData>();
    data->setImageData(image);
    // Programs that take no Qt image still take a PNG file's bytes.
    if (const QByteArray png = PngData(image); !png.isEmpty())
        data->setData(QStringLiteral("image/png"), png);
    QGuiApplication::clipboard()->setMimeData(data.release());
}

// Asks nothing: a new scan brings every icon back.
void TIconGroupCommands::RemoveDuplicatesExecute()
{
    Window_.StopBackgroundWork();
    ScanEngine* engine = Window_.Engine();
    if (!engine)
        return;
    engine->RemoveDuplicateIcons();
    Window_.DrawGrid1()->Repaint();
}

QString TIconGroupCommands::CellSizesText(int col, int row)
{
    const auto icon = IconAt(Window_.DrawGrid1()->CellIndex(col, row));
    if (!icon)
        return {};
    if (!TipKnown_ || TipIcon_.path != icon->path || TipIcon_.number != icon->number) {
        // Known at once where the disk answers; on one that does not, the
        // text is empty until the read comes back.
        TextRead_.Start([path = icon->path, number = icon->number] { return CellTipText(path, number); },
            [this, source = *icon](QString text) { Remember(source, std::move(text)); });
    }
    return TipKnown_ && TipIcon_.path == icon->path && TipIcon_.number == icon->number ? TipText_ : QString();
}

void TIconGroupCommands::Remember(const IconSource& icon, QString text)
{
    TipIcon_ = icon;
    TipText_ = std::move(text);
    TipKnown_ = true;
}

void TIconGroupCommands::ShowCellTip(const QHelpEvent& help)
{
    TDrawGrid* grid = Window_.DrawGrid1();
    int col = 0, row = 0;
    const auto icon = grid->MouseToCell(help.pos(), col, row)
        ? IconAt(grid->CellIndex(col, row))
        : std::nullopt;
    if (!icon) {
        TipRead_.Cancel();
        QToolTip::hideText();
        return;
    }
    if (TipKnown_ && TipIcon_.path == icon->path && TipIcon_.number == icon->number) {
        ShowTip(TipText_, col, row, help.globalPos());
        return;
    }
    TipRead_.Start([path = icon->path, number = icon->number] { return CellTipText(path, number); },
        [this, source = *icon, col, row, at = help.globalPos()](QString text) {
            Remember(source, std::move(text));
            ShowTip(TipText_, col, row, at);
        });
}

void TIconGroupCommands::ShowTip(const QString& text, int col, int row, QPoint globalPos)
{
    TDrawGrid* grid = Window_.DrawGrid1();
    if (text.isEmpty()) {
        QToolTip::hideText();
        return;
    }
    // The tip goes when the pointer leaves the cell.
    QToolTip::showText(globalPos, text, grid->viewport(), grid->CellRect(col, row));
}

} // namespace orbisk
