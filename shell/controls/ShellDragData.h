#pragma once

#include <QByteArray>

#include <string>
#include <vector>

class QMimeData;

namespace orbisk {

// text/uri-list for dragging items out: one file URL per native path, its
// bytes percent-encoded as they stand, so that a name that is not valid
// UTF-8 reaches the other program unchanged.
QByteArray UriListOf(const std::vector<std::string>& nativePaths);
QMimeData* MakeUriListData(const std::vector<std::string>& nativePaths);

inline constexpr const char* UriListMimeType = "text/uri-list";

} // namespace orbisk
