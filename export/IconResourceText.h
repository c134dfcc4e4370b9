#pragma once

#include <QString>

#include <string>

namespace orbisk {

// The line a grid cell's tooltip shows under the sizes for icon n of the
// program or library at path (numbered as ExtractIcon numbers icons):
// "Resource: 101, language 1033", a string name in double quotes
// ("Resource: \"IDI_APP\", language 0"), without the language where the
// format has none (NE). Read from the file now; empty for icon, cursor and
// bitmap files and when the name cannot be read.
QString IconResourceText(const std::string& path, int n);

} // namespace orbisk
