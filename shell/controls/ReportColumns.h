#pragma once

#include "shell/items/ShellItem.h"

#include <QString>

#include <vector>

namespace orbisk {

// One column of the file list's report view.
struct TStListColumn {
    QString caption;
    int width = 0; // pixels
    bool rightAligned = false;
};

// The column sets of the report view. Folders here offer no shell details
// interface, so the list always uses its own sets.
enum class TStColumnSet {
    FileSystem, // Name, Size, Type, Modified, Attributes
    NameOnly,   // Name
};

// The set for a folder: the file-system set for a file-system folder
// (the trash among them) and for the desktop, which has no parent; the name
// alone for any other folder (Computer).
TStColumnSet ColumnSetFor(const TStShellItem& folder);

// The columns of a set, with the captions of the control texts table.
std::vector<TStListColumn> ReportColumns(TStColumnSet set);

// Column numbers of the file-system set.
enum TStFileSystemColumn : int { colName, colSize, colType, colModified, colAttributes, FileSystemColumnCount };

} // namespace orbisk
