#pragma once

#include <cstdint>

namespace orbisk {

// The colour depth of saved icon files, as a colour count. The writers take
// the count as an argument: whoever saves (the window, the command-line tool)
// keeps the count it uses and hands it to every save, worker or not.

// The values the "SaveColors" setting can hold: 0 the display's depth
// ("Windows default"), 16, 256, 65536, 16777216 and 2147483647 (32 bits).
constexpr int32_t SaveColorsChoices[] = { 0, 16, 256, 65536, 16777216, 2147483647 };
constexpr int32_t TrueColor32 = 2147483647;

// The colour count of a display of displayBits bits per pixel: 2, 16 or 256
// for 1, 4 or 8 bits (2 to the planes x bits per pixel, up to 8),
// 2147483647 above.
int32_t ScreenColorCount(int displayBits);

// Bits per pixel of an icon's colour image for a colour count: 2 -> 1,
// 16 -> 4, 256 -> 8, 65536 -> 16, 16777216 -> 24, any other count -> 32.
int ColorCountBits(int32_t colorCount);

// The colour count that the "SaveColors" setting stands for on a display of
// displayBits bits per pixel.
int32_t SaveColorsToColorCount(int32_t saveColors, int displayBits);

} // namespace orbisk
