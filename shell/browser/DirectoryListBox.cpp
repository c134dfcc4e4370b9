#include "shell/browser/DirectoryListBox.h"

#include "platform/files/FolderContents.h"
#include "platform/files/NativePath.h"
#include "platform/namespace/ItemNames.h"
#include "platform/namespace/MountTable.h"
#include "platform/namespace/NaturalOrder.h"
#include "shell/browser/ListBoxDelegate.h"

#include <QKeyEvent>
#include <QStyle>

#include <algorithm>

namespace orbisk {

namespace {

// Row height in pixels; rows hold a 16-pixel folder icon.
constexpr int ItemHeight = 17;
constexpr int PathRole = Qt::UserRole;

std::string RootOf(const std::string& path)
{
    const auto drives = CurrentDrives();
    const Drive* drive = drives ? DriveHolding(*drives, path) : nullptr;
    return drive ? drive->mountPoint : std::string("/");
}

} // namespace

TDirectoryListBox::TDirectoryListBox(QWidget* parent)
    : QListWidget(parent)
{
    setItemDelegate(new TListBoxDelegate(ItemHeight, this));
    setUniformItemSizes(true);
    setIconSize(QSize(16, 16));
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { OpenRow(row(item)); });
}

void TDirectoryListBox::SetDirectory(const std::string& path)
{
    directory_ = TrimTrailingSeparators(path);
    root_ = RootOf(directory_);
    clear();

    AddRow(root_, DecodeName(root_), 0, true);
    int level = 0;
    std::string chain = root_;
    // The components below the drive's root, one row each.
    for (std::size_t start = root_.size(); start < directory_.size();) {
        start = directory_.find_first_not_of('/', start);
        if (start == std::string::npos)
            break;
        const std::size_t end = std::min(directory_.find('/', start), directory_.size());
        const std::string_view name = std::string_view(directory_).substr(start, end - start);
        chain = JoinPath(chain, name);
        AddRow(chain, DecodeName(name), ++level, true);
        start = end;
    }
    const int current = count() - 1;

    if (Result<FolderContents> contents = ReadFolderContents(directory_)) {
        std::vector<std::string>& folders = contents->folders;
        SortNaturally(folders);
        for (const std::string& name : folders)
            AddRow(JoinPath(directory_, name), DecodeName(name), level + 1, false);
    }
    setCurrentRow(current);
    emit DirectoryChanged();
}

std::string TDirectoryListBox::PathAt(int row) const
{
    const QListWidgetItem* it = item(row);
    return it ? it->data(PathRole).toByteArray().toStdString() : std::string();
}

void TDirectoryListBox::AddRow(const std::string& path, const QString& text, int level, bool open)
{
    auto* row = new QListWidgetItem(style()->standardIcon(open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon),
                                    text, this);
    row->setData(PathRole, QByteArray::fromStdString(path));
    row->setData(TListBoxDelegate::IndentRole, level);
}

void TDirectoryListBox::OpenRow(int row)
{
    const std::string path = PathAt(row);
    if (!path.empty())
        SetDirectory(path);
}

// Enter on another folder's row opens it; on the current folder's row it is
// left to the dialog, whose default button it presses.
void TDirectoryListBox::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && currentRow() >= 0 && PathAt(currentRow()) != directory_) {
        OpenRow(currentRow());
        event->accept();
        return;
    }
    if (enter) {
        event->ignore();
        return;
    }
    QListWidget::keyPressEvent(event);
}

} // namespace orbisk
