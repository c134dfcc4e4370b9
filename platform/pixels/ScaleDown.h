#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace orbisk {

// A straight-alpha image (0xAARRGGBB, top-down rows of `width` pixels)
// scaled down smoothly to toWidth x toHeight (each from 1 to the image's
// own): every pixel of the result averages the part of the image it covers,
// its colour weighted by alpha, so that a transparent pixel's colour never
// bleeds into its neighbours. Works one row of the result at a time, so it
// needs no more memory than the result.
std::vector<uint32_t> ScaleDown(std::span<const uint32_t> argb, int width, int height, int toWidth, int toHeight);

} // namespace orbisk
