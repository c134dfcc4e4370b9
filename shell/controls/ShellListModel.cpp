#include "shell/controls/ShellListModel.h"

#include "platform/namespace/MountTable.h"
#include "shell/controls/ShellDragData.h"
#include "shell/items/ShellController.h"

#include <QHash>
#include <QMimeData>

namespace orbisk {

namespace {

bool OnRemovableDrive(const TStShellItem& item)
{
    const std::string path = item.NativePath();
    const Drive* drive = path.empty() ? nullptr : DriveHolding(*CurrentDrives(), path);
    return drive && drive->type == DriveRemovable;
}

} // namespace

TStShellListModel::TStShellListModel(QObject* parent) : QAbstractTableModel(parent)
{
    columns_ = ReportColumns(columnSet_);
}

int TStShellListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Count();
}

int TStShellListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(columns_.size());
}

TStShellItem* TStShellListModel::ItemAtRow(int row) const
{
    if (row < 0 || row >= Count())
        return nullptr;
    return rows_[std::size_t(ShownIndexOfRow(row))].item;
}

int TStShellListModel::RowOfItem(const TStShellItem* item) const
{
    if (!item)
        return -1;
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].item == item)
            return RowOfShownIndex(int(i));
    return -1;
}

QVariant TStShellListModel::data(const QModelIndex& index, int role) const
{
    TStShellItem* item = index.isValid() ? ItemAtRow(index.row()) : nullptr;
    if (!item)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return Text(*item, index.column());
    case Qt::DecorationRole:
        return index.column() == 0 ? Picture(*item) : QVariant();
    case Qt::ForegroundRole:
        return Foreground(*item);
    case Qt::TextAlignmentRole:
        if (std::size_t(index.column()) < columns_.size() && columns_[std::size_t(index.column())].rightAligned)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return {};
    case ShownIndexRole:
        return ShownIndexOfRow(index.row());
    default:
        break;
    }
    return {};
}

QVariant TStShellListModel::Text(const TStShellItem& item, int column) const
{
    if (column == 0)
        return item.DisplayName();
    if (!reportView_ || !(item.DetailFlags() & dfKnown))
        return {};
    // The texts are made the first time the row is shown: a folder of many
    // thousands of files formats only the rows anyone looks at.
    auto& shown = const_cast<TStShellItem&>(item);
    if (shown.Details().isEmpty())
        shown.Details() = texts_.Texts(item, columnSet_);
    return shown.Details().value(column - 1);
}

QVariant TStShellListModel::Picture(TStShellItem& item) const
{
    if (optimization_ == otEnumerate && item.ImageIndex() == -1)
        item.FetchFileInfo(controller_, false);
    // Known from the details when they have been worked out: no question to
    // the folder for every paint.
    const uint8_t flags = item.DetailFlags();
    const bool hidden = (flags & dfKnown) ? (flags & dfHidden) != 0 : item.IsHidden();
    const QPixmap pixmap = icons_.Pixmap(item.ImageIndex(), iconSize_, item.OverlayIndex(), hidden);
    return pixmap.isNull() ? QVariant() : QVariant(pixmap);
}

QVariant TStShellListModel::Foreground(const TStShellItem& item) const
{
    if (options_.Contains(loColorCompressed) && item.IsCompressed() && !OnRemovableDrive(item))
        return compressedColor_;
    return {};
}

QVariant TStShellListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || std::size_t(section) >= columns_.size())
        return {};
    const TStListColumn& column = columns_[std::size_t(section)];
    if (role == Qt::DisplayRole)
        return column.caption;
    if (role == Qt::TextAlignmentRole && column.rightAligned)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    return {};
}

Qt::ItemFlags TStShellListModel::flags(const QModelIndex& index) const
{
    const TStShellItem* item = index.isValid() ? ItemAtRow(index.row()) : nullptr;
    if (!item)
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (options_.Contains(loAllowDrag))
        f |= Qt::ItemIsDragEnabled;
    if (index.column() == 0 && options_.Contains(loAllowRename) && item->CanRename())
        f |= Qt::ItemIsEditable;
    return f;
}

bool TStShellListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    TStShellItem* item = index.isValid() ? ItemAtRow(index.row()) : nullptr;
    if (!item || role != Qt::EditRole || index.column() != 0 || !RenameItem)
        return false;
    const QString name = value.toString();
    if (name.isEmpty() || name == item->DisplayName())
        return false;
    return RenameItem(*item, name);
}

QStringList TStShellListModel::mimeTypes() const
{
    return {QString::fromLatin1(UriListMimeType)};
}

QMimeData* TStShellListModel::mimeData(const QModelIndexList& indexes) const
{
    std::vector<std::string> paths;
    for (const QModelIndex& index : indexes) {
        const TStShellItem* item = index.column() == 0 ? ItemAtRow(index.row()) : nullptr;
        if (item && !item->NativePath().empty())
            paths.push_back(item->NativePath());
    }
    return paths.empty() ? nullptr : MakeUriListData(paths);
}

void TStShellListModel::Clear()
{
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void TStShellListModel::Reset(std::vector<TStListRow> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void TStShellListModel::Rearrange(std::vector<TStListRow> rows, bool ascending)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<TStListRow> before = std::move(rows_);
    const bool ascendingBefore = ascending_;
    rows_ = std::move(rows);
    ascending_ = ascending;
    ChangePersistentRows(before, ascendingBefore);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TStShellListModel::SetAscending(bool ascending)
{
    if (ascending == ascending_)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    ascending_ = ascending;
    ChangePersistentRows(rows_, !ascending);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// Moves the persistent indexes (selections, the current row, open editors)
// from the rows their items had to the rows they have now.
void TStShellListModel::ChangePersistentRows(const std::vector<TStListRow>& before, bool ascendingBefore)
{
    const QModelIndexList from = persistentIndexList();
    if (from.isEmpty())
        return;
    const auto itemBefore = [&](int row) -> const TStShellItem* {
        if (row < 0 || std::size_t(row) >= before.size())
            return nullptr;
        return before[ascendingBefore ? std::size_t(row) : before.size() - 1 - std::size_t(row)].item;
    };
    QHash<const TStShellItem*, int> rowNow;
    for (const QModelIndex& index : from)
        rowNow.insert(itemBefore(index.row()), -1);
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (const auto it = rowNow.find(rows_[i].item); it != rowNow.end())
            *it = RowOfShownIndex(int(i));
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& index : from) {
        const int row = rowNow.value(itemBefore(index.row()), -1);
        to.append(row < 0 ? QModelIndex() : createIndex(row, index.column()));
    }
    changePersistentIndexList(from, to);
}

void TStShellListModel::SetColumns(TStColumnSet set)
{
    if (set == columnSet_)
        return;
    const int before = int(columns_.size());
    const std::vector<TStListColumn> columns = ReportColumns(set);
    const int after = int(columns.size());
    if (after < before) {
        beginRemoveColumns({}, after, before - 1);
        columns_ = columns;
        columnSet_ = set;
        endRemoveColumns();
    } else if (after > before) {
        beginInsertColumns({}, before, after - 1);
        columns_ = columns;
        columnSet_ = set;
        endInsertColumns();
    } else {
        columns_ = columns;
        columnSet_ = set;
    }
    emit headerDataChanged(Qt::Horizontal, 0, after - 1);
}

void TStShellListModel::SetReportView(bool report)
{
    reportView_ = report;
}

void TStShellListModel::SetIconSize(int pixels)
{
    iconSize_ = pixels;
}

void TStShellListModel::RowChanged(int row)
{
    if (row >= 0 && row < Count())
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void TStShellListModel::AllRowsChanged()
{
    if (Count() > 0)
        emit dataChanged(index(0, 0), index(Count() - 1, columnCount() - 1));
}

} // namespace orbisk
