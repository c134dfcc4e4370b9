#pragma once

namespace orbisk {

// What the program knows of the display.

// Bits per pixel of the primary screen (planes are always 1); 32 without a
// screen. It asks the screen, which only the window thread may do: the window
// reads the depth once and hands it to whatever writes files for it, so a
// worker never needs to ask.
int ScreenBitsPerPixel();

} // namespace orbisk
