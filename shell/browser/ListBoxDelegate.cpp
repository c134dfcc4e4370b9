#include "shell/browser/ListBoxDelegate.h"

namespace orbisk {

namespace {

int IndentOf(const QModelIndex& index) { return index.data(TListBoxDelegate::IndentRole).toInt() * TListBoxDelegate::IndentStep; }

} // namespace

TListBoxDelegate::TListBoxDelegate(int itemHeight, QObject* parent)
    : QStyledItemDelegate(parent)
    , itemHeight_(itemHeight)
{
}

void TListBoxDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem indented = option;
    indented.rect.setLeft(option.rect.left() + IndentOf(index));
    QStyledItemDelegate::paint(painter, indented, index);
}

QSize TListBoxDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QSize natural = QStyledItemDelegate::sizeHint(option, index);
    return { natural.width() + IndentOf(index), itemHeight_ };
}

} // namespace orbisk
