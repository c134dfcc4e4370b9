#pragma once

namespace orbisk {

class TMainFrm;

// Names what assistive tools (screen readers, over AT-SPI) cannot learn from
// the main window's widgets themselves: the icon grid becomes a table whose
// cells are named "<file name> #<n>" after their icon, with the sizes of its
// group as description and its mark as checked state; every toolbar button
// gets its command's caption as name and its hint as description.
void ConnectWindowAccessibility(TMainFrm& window);

} // namespace orbisk
