#pragma once

namespace orbisk {

// What the program knows of the display. Tests and the command-line tool set
// the depth; otherwise it is the primary screen's (32 when there is none).

// Bits per pixel of the display (planes are always 1). The screen is asked
// the first time this runs on the window thread and its answer kept for every
// thread; other threads get 32 until then.
int DisplayBitsPerPixel();

// Sets the depth that DisplayBitsPerPixel reports; 0 goes back to the screen's.
void SetDisplayBitsPerPixel(int bits);

// The large-icon size (SM_CXICON, SM_CYICON): every extracted icon and every
// exported bitmap is this many pixels square.
constexpr int LargeIconSize = 32;

} // namespace orbisk
