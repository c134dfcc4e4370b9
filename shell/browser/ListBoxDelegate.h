#pragma once

#include <QStyledItemDelegate>

namespace orbisk {

// Draws the rows of the folder browser's lists: every row has the list's one
// height, and a row is indented by the level it carries in IndentRole, so that
// the folder list shows the chain of folders as steps.
class TListBoxDelegate : public QStyledItemDelegate {
public:
    static constexpr int IndentRole = Qt::UserRole + 1;
    static constexpr int IndentStep = 10;

    TListBoxDelegate(int itemHeight, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int itemHeight_;
};

} // namespace orbisk
