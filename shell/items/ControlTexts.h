#pragma once

#include <QString>

namespace orbisk {

// The numbers of the shell controls' texts.
enum ControlTextId : int {
    stShellVersion = 110, // "Operation not supported in this version of the shell"
    stColumnName = 230,
    stColumnSize = 231,
    stColumnType = 232,
    stColumnModified = 233,
    stColumnAttributes = 234,
    stFileFolder = 235,
    stSystemFolder = 236,
    stColumnOriginalLocation = 237,
    stColumnDateDeleted = 238,
    stFile = 239,
    stInvalidFolder = 240, // "Invalid folder"
};

// The shell controls' message and caption text with this number; empty for a
// number that is not in the table.
QString ControlText(int id);

} // namespace orbisk
