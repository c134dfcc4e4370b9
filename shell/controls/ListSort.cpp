#include "shell/controls/ListSort.h"

#include "platform/namespace/ItemNames.h"
#include "platform/namespace/MimeTypeNames.h"
#include "platform/namespace/ShellFolder.h"

#include <QCollator>
#include <QHash>

#include <algorithm>
#include <unordered_map>

namespace orbisk {

namespace {

// What a row sorts by: the column's two keys, then its name rank.
struct SortKey {
    int64_t primary;
    int64_t secondary;
    uint32_t rank;
    uint32_t row;

    bool operator<(const SortKey& o) const
    {
        if (primary != o.primary)
            return primary < o.primary;
        if (secondary != o.secondary)
            return secondary < o.secondary;
        return rank < o.rank;
    }
};

std::string_view NameOf(const TStShellItem& item)
{
    const ItemIdList& id = item.RelativeIdList();
    return item.HasIdList() && !id.IsEmpty() ? id.LastName() : std::string_view();
}

int64_t FolderFirst(const TStShellItem& item)
{
    return item.IsFileSystemFolder() ? 0 : 1;
}

QCollator LocaleCollator(Qt::CaseSensitivity sensitivity)
{
    QCollator c;
    c.setCaseSensitivity(sensitivity);
    return c;
}

// The place of each distinct text in the collator's order; texts the
// collator takes as equal share a place.
QHash<QString, int64_t> RankTexts(std::vector<QString> texts, const QCollator& collator)
{
    std::sort(texts.begin(), texts.end(), [&](const QString& a, const QString& b) { return collator(a, b); });
    texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
    QHash<QString, int64_t> ranks;
    int64_t rank = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0 && collator.compare(texts[i - 1], texts[i]) != 0)
            ++rank;
        ranks.insert(texts[i], rank);
    }
    return ranks;
}

// Files of one extension (and the same kind of details) share a type text:
// each distinct one is made and collated once, not once per row.
struct TypeGroup {
    std::string_view extension; // borrowed from the item's ID list
    uint8_t kind;
    bool operator==(const TypeGroup&) const = default;
};

struct TypeGroupHash {
    std::size_t operator()(const TypeGroup& g) const { return std::hash<std::string_view>()(g.extension) * 31 + g.kind; }
};

std::vector<int64_t> FileTypeKeys(const std::vector<TStListRow>& rows, bool byExtension, TStDetailTexts& texts)
{
    std::unordered_map<TypeGroup, std::size_t, TypeGroupHash> groupOf;
    std::vector<QString> groupTexts;
    std::vector<std::size_t> groups(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TStShellItem& item = *rows[i].item;
        if (item.IsFileSystemFolder())
            continue;
        const std::string_view extension = TypeSuffix(NameOf(item));
        uint8_t kind = 0;
        if (!byExtension)
            kind = uint8_t((item.DetailFlags() & (dfMissing | dfFindData | dfDirectory)) | (item.IsFileSystemFile() ? 0x80 : 0));
        auto [it, added] = groupOf.try_emplace(TypeGroup{extension, kind}, groupTexts.size());
        if (added)
            groupTexts.push_back(byExtension ? DecodeName(extension) : texts.TypeText(item));
        groups[i] = it->second;
    }
    const QHash<QString, int64_t> ranks =
        RankTexts(groupTexts, LocaleCollator(byExtension ? Qt::CaseSensitive : Qt::CaseInsensitive));
    std::vector<int64_t> groupRanks;
    groupRanks.reserve(groupTexts.size());
    for (const QString& text : groupTexts)
        groupRanks.push_back(ranks.value(text));
    std::vector<int64_t> keys(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (!rows[i].item->IsFileSystemFolder())
            keys[i] = groupRanks[groups[i]];
    return keys;
}

// Folders by display name, case ignored; names equal but for case share a key.
std::vector<int64_t> FolderNameKeys(const std::vector<TStListRow>& rows)
{
    std::vector<std::size_t> folders;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].item->IsFileSystemFolder())
            folders.push_back(i);
    const auto name = [&](std::size_t i) -> const QString& { return rows[i].item->DisplayName(); };
    std::sort(folders.begin(), folders.end(), [&](std::size_t a, std::size_t b) {
        return name(a).compare(name(b), Qt::CaseInsensitive) < 0;
    });
    std::vector<int64_t> keys(rows.size());
    int64_t rank = 0;
    for (std::size_t k = 0; k < folders.size(); ++k) {
        if (k > 0 && name(folders[k - 1]).compare(name(folders[k]), Qt::CaseInsensitive) != 0)
            ++rank;
        keys[folders[k]] = rank;
    }
    return keys;
}

void TypeKeys(const std::vector<TStListRow>& rows, bool byExtension, TStDetailTexts& texts, std::vector<SortKey>& keys)
{
    const std::vector<int64_t> fileKeys = FileTypeKeys(rows, byExtension, texts);
    const std::vector<int64_t> folderKeys = FolderNameKeys(rows);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool folder = rows[i].item->IsFileSystemFolder();
        keys[i].primary = folder ? 0 : 1;
        keys[i].secondary = folder ? folderKeys[i] : fileKeys[i];
    }
}

int64_t AttributeKey(uint8_t flags)
{
    // The texts "", "C", "H", "HC", "HR", "HRC", "R", "RC" in their order,
    // by the bits hidden 4, read-only 2, compressed 1.
    static constexpr int64_t order[8] = {0, 1, 6, 7, 2, 3, 4, 5};
    const int bits = ((flags & dfHidden) ? 4 : 0) | ((flags & dfReadOnly) ? 2 : 0) | ((flags & dfCompressed) ? 1 : 0);
    return order[bits];
}

} // namespace

void RankByName(std::vector<TStListRow>& rows)
{
    // The items of a list are one folder's; it orders them all at once.
    // Items without an ID list (none come from a folder) go last.
    std::vector<const ItemIdList*> ids;
    std::vector<TStListRow> ranked, unnamed;
    ids.reserve(rows.size());
    ranked.reserve(rows.size());
    for (const TStListRow& row : rows) {
        if (row.item->HasIdList() && !row.item->RelativeIdList().IsEmpty()) {
            ids.push_back(&row.item->RelativeIdList());
            ranked.push_back(row);
        } else {
            unnamed.push_back(row);
        }
    }
    const std::shared_ptr<ShellFolder> folder =
        ranked.empty() || !ranked.front().item->ParentFolder() ? SHGetDesktopFolder()
                                                                : ranked.front().item->ParentFolder();
    const std::vector<std::size_t> order = folder->SortedOrder(ids);
    rows.clear();
    for (std::size_t i : order)
        rows.push_back(ranked[i]);
    rows.insert(rows.end(), unnamed.begin(), unnamed.end());
    for (uint32_t place = 0; place < rows.size(); ++place)
        rows[place].nameRank = place;
}

void SortRows(std::vector<TStListRow>& rows, const TStSortRules& rules, TStDetailTexts& texts)
{
    if (rows.size() < 2 || rules.column < 0 || rules.column >= FileSystemColumnCount)
        return;
    // Rows just ranked by name come in name order already.
    const auto byRank = [](const TStListRow& a, const TStListRow& b) { return a.nameRank < b.nameRank; };
    if (rules.column == colName && std::is_sorted(rows.begin(), rows.end(), byRank))
        return;
    std::vector<SortKey> keys(rows.size());
    for (uint32_t i = 0; i < rows.size(); ++i) {
        const TStShellItem& item = *rows[i].item;
        keys[i] = {0, 0, rows[i].nameRank, i};
        switch (rules.column) {
        case colSize:
            keys[i].primary = FolderFirst(item);
            keys[i].secondary = item.Size();
            break;
        case colModified:
            keys[i].primary = FolderFirst(item);
            // Newest first: ~t reverses the order without overflowing.
            keys[i].secondary = ~item.Modified();
            break;
        case colAttributes:
            keys[i].primary = FolderFirst(item);
            keys[i].secondary = AttributeKey(item.DetailFlags());
            break;
        default:
            break;
        }
    }
    if (rules.column == colType)
        TypeKeys(rows, rules.sortTypeByExt, texts, keys);
    std::sort(keys.begin(), keys.end());
    std::vector<TStListRow> sorted;
    sorted.reserve(rows.size());
    for (const SortKey& k : keys)
        sorted.push_back(rows[k.row]);
    rows = std::move(sorted);
}

} // namespace orbisk
