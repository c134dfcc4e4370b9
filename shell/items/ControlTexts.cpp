#include "shell/items/ControlTexts.h"

namespace orbisk {

QString ControlText(int id)
{
    switch (id) {
    case stShellVersion:
        return QStringLiteral("Operation not supported in this version of the shell");
    case stColumnName:
        return QStringLiteral("Name");
    case stColumnSize:
        return QStringLiteral("Size");
    case stColumnType:
        return QStringLiteral("Type");
    case stColumnModified:
        return QStringLiteral("Modified");
    case stColumnAttributes:
        return QStringLiteral("Attributes");
    case stFileFolder:
        return QStringLiteral("File Folder");
    case stSystemFolder:
        return QStringLiteral("System Folder");
    case stColumnOriginalLocation:
        return QStringLiteral("Original Location");
    case stColumnDateDeleted:
        return QStringLiteral("Date Deleted");
    case stFile:
        return QStringLiteral("File");
    case stInvalidFolder:
        return QStringLiteral("Invalid folder");
    default:
        break;
    }
    return {};
}

} // namespace orbisk
