#pragma once

#include "platform/pixels/IconImage.h"

#include <cstddef>
#include <span>
#include <vector>

namespace orbisk {

// Orders the images of a group (or icon file) best first: the exact
// large-icon image (32 x 32), otherwise the one nearest in size, the larger on
// a tie; among images of one size the deepest colour. The first one that decodes is the icon;
// the others stand in for it when it turns out broken.
std::vector<std::size_t> PreferenceOrder(std::span<const ImageInfo> images);

} // namespace orbisk
