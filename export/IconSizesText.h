#pragma once

#include "platform/extract/IconGroup.h"

#include <QString>

#include <string>

namespace orbisk {

// The sizes a group holds, smallest first, each once: "16, 32, 48, 256 px";
// an image that is not square shows both sides ("48x32"). Empty for a group
// without images.
QString GroupSizesText(const IconGroup& group);

// The same for icon n of the file at path (numbered as ExtractIcon numbers
// icons), as a grid cell's tooltip shows it; empty when there is no group.
QString IconSizesText(const std::string& path, int n);

} // namespace orbisk
