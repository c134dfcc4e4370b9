#pragma once

namespace orbisk {

class TMainFrm;

// With ORBISK_FIRST_PAINT_REPORT set in the environment, the program prints
// the system's monotonic clock in milliseconds once the window has been
// painted with the folder tree and the file list filled, and then ends
// without closing the window (so no settings are written). The start-up
// benchmark measures the real program with it.
void ReportFirstPaintIfAsked(TMainFrm& frm);

} // namespace orbisk
