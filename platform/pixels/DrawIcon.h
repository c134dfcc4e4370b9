#pragma once

#include "platform/pixels/IconHandle.h"

class QPainter;

namespace orbisk {

// Flags of DrawIconEx.
constexpr unsigned DI_MASK = 1;
constexpr unsigned DI_IMAGE = 2;
constexpr unsigned DI_NORMAL = DI_MASK | DI_IMAGE;

// Draws an icon with its top-left corner at (x, y) of the painter's device.
// width and height 0 mean the icon's own size; other values scale it.
// DI_NORMAL composites the colour image by its alpha, so transparent pixels
// show what lies beneath; DI_IMAGE alone draws it opaque. The icon's pixels
// are drawn in place, never copied, so drawing is cheap enough for every
// cell of a grid. Returns false (drawing nothing) for nullptr or flags
// without DI_IMAGE.
bool DrawIconEx(QPainter& painter, int x, int y, HICON icon, int width, int height, unsigned flags);

} // namespace orbisk
