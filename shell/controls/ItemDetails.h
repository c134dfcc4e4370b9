#pragma once

#include "platform/namespace/DirectoryFindData.h"
#include "shell/controls/ReportColumns.h"
#include "shell/controls/TypeDictionary.h"
#include "shell/items/ShellItem.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace orbisk {

// Works out what the report columns show of an item: its Size (-1 for a
// folder or an item the file system does not know), Modified and detail
// flags, from one look at the file system. A directory becomes a
// file-system folder. Texts made before are dropped, to be made again.
// `directory`, when it is the item's folder, makes the look-up cheaper.
void ComputeItemDetails(TStShellItem& item, const DirectoryFindData* directory = nullptr);

// The texts of the report columns after the first, made from the details.
class TStDetailTexts {
public:
    TStDetailTexts();

    // The texts of the columns after the first of `set`, for an item whose
    // details are known: size, type, date and attribute texts, or "" and
    // "System Folder" for an item the file system does not know.
    QStringList Texts(const TStShellItem& item, TStColumnSet set);

    // The type text of an item as the Type column shows it.
    QString TypeText(const TStShellItem& item);

    // Whole kilobytes, a size of 1 to 1023 bytes counting as 1, grouped by
    // "," from the right, followed by "KB": 0KB, 1KB, 1,205KB.
    static QString SizeText(int64_t size);
    // The letters of the attributes set: "H" hidden, "R" not writable,
    // "C" compressed, in this order.
    static QString AttributeText(uint8_t detailFlags);
    // The time as the locale's short date and its short time, in hours and
    // minutes.
    QString DateText(int64_t secsSinceEpoch) const;

    TStTypeDictionary& Types() { return types_; }

private:
    TStTypeDictionary types_;
    QLocale locale_;
    QString dateFormat_;
    QString timeFormat_;
};

} // namespace orbisk
