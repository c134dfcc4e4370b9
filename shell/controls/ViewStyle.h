#pragma once

namespace orbisk {

// How the file list shows its items: large icons (32 pixels) in rows, small
// icons (16 pixels) in rows, a list of small icons in columns, or report
// view with a header and the report columns.
enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

} // namespace orbisk
