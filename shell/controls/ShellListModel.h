#pragma once

#include "shell/controls/ItemDetails.h"
#include "shell/controls/ItemIcons.h"
#include "shell/controls/ListOptions.h"
#include "shell/controls/ListSort.h"
#include "shell/controls/ReportColumns.h"
#include "shell/items/ShellConsumer.h"

#include <QAbstractTableModel>
#include <QColor>

#include <functional>
#include <memory>
#include <vector>

namespace orbisk {

class TStCustomShellController;

// The rows of a file list: one row per shown item, each answered when a view
// asks for it. The shown items are kept in ascending order; a descending
// list maps row i to item count-1-i, so reversing needs no sorting. The
// model does not own the items: the list does, and replaces them only
// through Clear and Reset.
class TStShellListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The role that answers a row's shown-item index.
    static constexpr int ShownIndexRole = Qt::UserRole;

    explicit TStShellListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    // The shown items.
    const std::vector<TStListRow>& Rows() const { return rows_; }
    int Count() const { return int(rows_.size()); }
    TStShellItem* ItemAtRow(int row) const;
    int ShownIndexOfRow(int row) const { return ascending_ ? row : Count() - 1 - row; }
    int RowOfShownIndex(int shown) const { return ShownIndexOfRow(shown); }
    // The row that shows an item; -1 when it is not shown.
    int RowOfItem(const TStShellItem* item) const;

    // No rows (before the items are freed).
    void Clear();
    // New items, in ascending order.
    void Reset(std::vector<TStListRow> rows);
    // The same items in a new order and direction; selections and the
    // current row stay with their items.
    void Rearrange(std::vector<TStListRow> rows, bool ascending);
    // Flips the row order; selections stay with their items.
    bool Ascending() const { return ascending_; }
    void SetAscending(bool ascending);

    TStColumnSet ColumnSet() const { return columnSet_; }
    void SetColumns(TStColumnSet set);
    // Whether the columns after the first show the items' details.
    void SetReportView(bool report);
    // A row's texts or picture changed.
    void RowChanged(int row);
    void AllRowsChanged();

    // What the rows show, set by the list.
    void SetController(const TStCustomShellController* controller) { controller_ = controller; }
    void SetIconSize(int pixels);
    void SetOptimization(TStOptimization optimization) { optimization_ = optimization; }
    void SetOptions(TStListOptionsSet options) { options_ = options; }
    void SetCompressedColor(const QColor& color) { compressedColor_ = color; }
    TStDetailTexts& Texts() { return texts_; }

    // Renames an item to a new name; false when it cannot.
    std::function<bool(TStShellItem& item, const QString& name)> RenameItem;

private:
    void ChangePersistentRows(const std::vector<TStListRow>& before, bool ascendingBefore);
    QVariant Text(const TStShellItem& item, int column) const;
    QVariant Picture(TStShellItem& item) const;
    QVariant Foreground(const TStShellItem& item) const;

    std::vector<TStListRow> rows_;
    bool ascending_ = true;
    TStColumnSet columnSet_ = TStColumnSet::FileSystem;
    std::vector<TStListColumn> columns_;
    bool reportView_ = false;
    const TStCustomShellController* controller_ = nullptr;
    int iconSize_ = 16;
    TStOptimization optimization_ = otEnumerate;
    TStListOptionsSet options_;
    QColor compressedColor_ = Qt::blue;
    mutable TStDetailTexts texts_;
    mutable TStItemIcons icons_;
};

} // namespace orbisk
