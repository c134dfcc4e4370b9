#pragma once

#include "platform/pixels/IconHandle.h"

#include <string>

namespace orbisk {

// The side of the grid's icons in logical pixels; the scan's icon handles
// have it.
inline constexpr int GridIconPixels = 32;

// Device pixels of a grid icon on a screen of the given pixel ratio.
int SharpIconPixels(double devicePixelRatio);

// Icon n of the file at path drawn for a square of `pixels` device pixels
// (more than GridIconPixels) from the best image of its group: the nearest
// image at or above that size, scaled down to it, else the largest. nullptr
// when the group has no image larger than GridIconPixels (the 32-pixel icon
// shows it as well as it can be shown), when that image is not square, or
// when the file cannot be read. Safe on any thread.
UniqueIcon MakeSharpIcon(const std::string& path, int n, int pixels);

} // namespace orbisk
