#include "platform/namespace/NaturalOrder.h"

#include "platform/namespace/ItemNames.h"

#include <QCollator>
#include <QLocale>

namespace orbisk {

int NaturalCompare(std::string_view a, std::string_view b)
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
    const int c = collator.compare(DecodeName(a), DecodeName(b));
    if (c != 0)
        return c;
    // Names the collator takes as equal still need a fixed order.
    return a.compare(b) < 0 ? -1 : a == b ? 0 : 1;
}

} // namespace orbisk
