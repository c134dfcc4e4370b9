#pragma once

#include "shell/controls/ViewStyle.h"

#include <cstdint>
#include <optional>

namespace orbisk {

// Each view style of the file list (TViewStyle) has one view button on the
// toolbar.

// The view button that a stored "ListMode" value presses: 1 large icons,
// 2 small icons, 3 list, 4 details, anything above 4 list; nullopt (press
// nothing, change nothing) for 0 and below.
std::optional<TViewStyle> ListModeToViewStyle(int32_t listMode);

// The "ListMode" value stored for the pressed view button; 3 when none is.
int32_t ListModeOf(std::optional<TViewStyle> pressed);

} // namespace orbisk
