#pragma once

#include "core/FolderList.h"
#include "core/ScanJob.h"
#include "core/ScanMailbox.h"
#include "core/TIconList.h"
#include "core/TfileList.h"

#include <atomic>
#include <cstddef>

namespace orbisk {

// Once the worker has waited for storage, job.ReaderThreads readers open,
// recognise and parse the next files and decode their first icons (see
// ReadAhead); the worker takes the files in list order and makes the list
// entries. At most FilesAhead files past the worker's are held, together at
// most BytesAhead bytes (as IconFile::HeldBytes counts them), each with at
// most IconsAheadPerFile icons (a file with more decodes the rest on the
// worker).
inline constexpr std::size_t FilesAhead = 256;
inline constexpr std::size_t BytesAhead = std::size_t(64) << 20;
inline constexpr int IconsAheadPerFile = 16;

// The second phase of a scan, on the worker thread: asks every recorded file
// for icon 0, 1, 2 ... until it gives none, appending one IconEntry per icon.
// Grid growth is requested per icon while the icons fit into the grid's client
// area as it was when the phase began. After each file the second panel shows
// the share of files finished before it ("25%") and the third its path; at the
// end (after a stop too) the second panel shows the icon count followed by
// " icon(s) loaded" and the third is cleared; then, when a file had more
// distinct images than kMaxImagesDecodedPerFile and its further groups were
// left out, the third panel reads "Some icons of <file> were left out: too
// many images" (the first such file). A stop is seen after each icon and
// after each file.
void ExtractIcons(const ScanJob& job, const FolderList& folders, const TfileList& files, TIconList& icons,
    ScanMailbox& mailbox, const std::atomic<bool>& stopped);

} // namespace orbisk
