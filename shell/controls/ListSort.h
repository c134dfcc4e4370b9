#pragma once

#include "shell/controls/ItemDetails.h"
#include "shell/items/ShellItem.h"

#include <cstdint>
#include <vector>

namespace orbisk {

// One item of a file list with its place in name order (the shell's order
// of the folder's items), which every column's order falls back on for
// items it ranks equal.
struct TStListRow {
    TStShellItem* item = nullptr;
    uint32_t nameRank = 0;
};

// Gives every row its place in name order and puts the rows in that order.
void RankByName(std::vector<TStListRow>& rows);

struct TStSortRules {
    int column = 0;
    bool sortTypeByExt = false; // loSortTypeByExt
};

// Sorts rows (ranked by name) by a column of the file-system set, ascending:
//   0 Name        name order
//   1 Size        folders first, then size
//   2 Type        folders first, folders by display name ignoring case;
//                 files by type text ignoring case (or with sortTypeByExt by
//                 extension, case counting), in the locale's order
//   3 Modified    folders first, then the newest first
//   4 Attributes  folders first, then the attribute text
// Rows a column ranks equal follow name order, so every order is total and
// the same rows always come out in the same order. Columns 5 and above
// leave the rows as they are. `texts` gives the type texts.
void SortRows(std::vector<TStListRow>& rows, const TStSortRules& rules, TStDetailTexts& texts);

} // namespace orbisk
