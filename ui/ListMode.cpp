#include "ui/ListMode.h"

namespace orbisk {

std::optional<TViewStyle> ListModeToViewStyle(int32_t listMode)
{
    switch (listMode) {
    case 1:
        return TViewStyle::vsIcon;
    case 2:
        return TViewStyle::vsSmallIcon;
    case 4:
        return TViewStyle::vsReport;
    default:
        if (listMode <= 0)
            return std::nullopt;
        return TViewStyle::vsList;
    }
}

int32_t ListModeOf(std::optional<TViewStyle> pressed)
{
    if (!pressed)
        return 3;
    switch (*pressed) {
    case TViewStyle::vsIcon:
        return 1;
    case TViewStyle::vsSmallIcon:
        return 2;
    case TViewStyle::vsReport:
        return 4;
    case TViewStyle::vsList:
        break;
    }
    return 3;
}

} // namespace orbisk
