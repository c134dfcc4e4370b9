#include "shell/browser/FileListBox.h"

#include "platform/files/FolderContents.h"
#include "platform/namespace/ItemNames.h"
#include "platform/namespace/NaturalOrder.h"
#include "shell/browser/ListBoxDelegate.h"

#include <QEvent>

#include <algorithm>

namespace orbisk {

namespace {

// Row height in pixels.
constexpr int ItemHeight = 13;

} // namespace

TFileListBox::TFileListBox(QWidget* parent)
    : QListWidget(parent)
{
    setItemDelegate(new TListBoxDelegate(ItemHeight, this));
    setUniformItemSizes(true);
    UseGreyText();
}

void TFileListBox::SetDirectory(const std::string& path)
{
    clear();
    Result<FolderContents> contents = ReadFolderContents(path);
    if (!contents)
        return;
    std::vector<std::string>& files = contents->files;
    SortNaturally(files);
    for (const std::string& name : files)
        addItem(DecodeName(name));
}

// A new palette or style brings the normal text colour back.
void TFileListBox::changeEvent(QEvent* event)
{
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::StyleChange)
        UseGreyText();
}

void TFileListBox::UseGreyText()
{
    QPalette grey = palette();
    grey.setColor(QPalette::Text, grey.color(QPalette::Disabled, QPalette::WindowText));
    setPalette(grey);
}

} // namespace orbisk
