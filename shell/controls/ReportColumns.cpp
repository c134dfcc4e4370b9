#include "shell/controls/ReportColumns.h"

#include "shell/items/ControlTexts.h"

namespace orbisk {

TStColumnSet ColumnSetFor(const TStShellItem& folder)
{
    // Checked before any special role: the trash is a file-system folder
    // here, and a set of other titles would sit over file-system data.
    if (folder.IsFileSystem() || folder.IsDesktop() || !folder.HasIdList())
        return TStColumnSet::FileSystem;
    return TStColumnSet::NameOnly;
}

std::vector<TStListColumn> ReportColumns(TStColumnSet set)
{
    if (set == TStColumnSet::NameOnly)
        return {{ControlText(stColumnName), 175, false}};
    return {
        {ControlText(stColumnName), 175, false},
        {ControlText(stColumnSize), 75, true},
        {ControlText(stColumnType), 125, false},
        {ControlText(stColumnModified), 125, false},
        {ControlText(stColumnAttributes), 60, false},
    };
}

} // namespace orbisk
