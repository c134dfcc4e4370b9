#include "shell/controls/ListSort.h"

#include "platform/namespace/ItemNames.h"
#include "platform/namespace/MimeTypeNames.h"
#include "platform/namespace/NameOrder.h"

#include <QCollator>
#include <QHash>

#include <algorithm>

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

ItemIdList::ElementView ElementOf(const TStShellItem& item)
{
    const ItemIdList& id = item.RelativeIdList();
    if (!item.HasIdList() || id.IsEmpty())
        return {IdKind::Name, {}, 0};
    return {id.LastKind(), id.LastName(), id.LastHints()};
}

std::string_view NameOf(const TStShellItem& item)
{
    return ElementOf(item).name;
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

// A key of its own for each distinct text of the rows, in the collator's
// order: rows share few texts (types, extensions), so each is collated once.
template <class TextOf>
std::vector<int64_t> TextRanks(const std::vector<TStListRow>& rows, const QCollator& collator, TextOf textOf)
{
    std::vector<QString> perRow;
    perRow.reserve(rows.size());
    QHash<QString, int64_t> distinct;
    for (const TStListRow& r : rows) {
        perRow.push_back(textOf(*r.item));
        distinct.insert(perRow.back(), 0);
    }
    const QHash<QString, int64_t> ranks = RankTexts(std::vector<QString>(distinct.keyBegin(), distinct.keyEnd()), collator);
    std::vector<int64_t> keys;
    keys.reserve(rows.size());
    for (const QString& t : perRow)
        keys.push_back(ranks.value(t));
    return keys;
}

void TypeKeys(const std::vector<TStListRow>& rows, bool byExtension, TStDetailTexts& texts, std::vector<SortKey>& keys)
{
    const QCollator collator = LocaleCollator(byExtension ? Qt::CaseSensitive : Qt::CaseInsensitive);
    const std::vector<int64_t> fileKeys = TextRanks(rows, collator, [&](const TStShellItem& item) {
        if (item.IsFileSystemFolder())
            return QString();
        return byExtension ? DecodeName(TypeSuffix(NameOf(item))) : texts.TypeText(item);
    });
    const std::vector<int64_t> folderKeys = TextRanks(rows, LocaleCollator(Qt::CaseInsensitive), [](const TStShellItem& item) {
        return item.IsFileSystemFolder() ? item.DisplayName() : QString();
    });
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
    std::vector<std::pair<ElementOrderKey, uint32_t>> keys;
    keys.reserve(rows.size());
    for (uint32_t i = 0; i < rows.size(); ++i)
        keys.emplace_back(ElementOrderKey(ElementOf(*rows[i].item)), i);
    std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first.Compare(b.first) < 0; });
    for (uint32_t place = 0; place < keys.size(); ++place)
        rows[keys[place].second].nameRank = place;
}

void SortRows(std::vector<TStListRow>& rows, const TStSortRules& rules, TStDetailTexts& texts)
{
    if (rows.size() < 2 || rules.column < 0 || rules.column >= FileSystemColumnCount)
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
