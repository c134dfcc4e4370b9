#include "platform/namespace/NaturalOrder.h"

#include "platform/namespace/ItemNames.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

namespace orbisk {

namespace {

QCollator& Collator()
{
    thread_local QCollator collator = [] {
        // The C locale's collator ignores numeric mode; natural order needs a
        // real one.
        QLocale locale;
        if (locale.language() == QLocale::C)
            locale = QLocale(QLocale::English, QLocale::UnitedStates);
        QCollator c(locale);
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

} // namespace

int NaturalCompare(std::string_view a, std::string_view b)
{
    if (const int c = Collator().compare(DecodeName(a), DecodeName(b)); c != 0)
        return c;
    // Names the collator takes as equal still need a fixed order: their
    // bytes'.
    return a.compare(b) < 0 ? -1 : a == b ? 0 : 1;
}

// A sort key per name, made once, is far cheaper to compare than asking the
// collator again for every pair of a large folder.
void SortNaturally(std::vector<std::string>& names)
{
    struct Name {
        QCollatorSortKey key;
        std::string native;
    };
    std::vector<Name> keyed;
    keyed.reserve(names.size());
    for (std::string& name : names)
        keyed.push_back({ Collator().sortKey(DecodeName(name)), std::move(name) });
    std::sort(keyed.begin(), keyed.end(), [](const Name& a, const Name& b) {
        if (const int c = a.key.compare(b.key); c != 0)
            return c < 0;
        return a.native < b.native;
    });
    for (std::size_t i = 0; i < names.size(); ++i)
        names[i] = std::move(keyed[i].native);
}

} // namespace orbisk
