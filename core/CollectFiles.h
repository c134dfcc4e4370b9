#pragma once

#include "core/FolderList.h"
#include "core/ScanJob.h"
#include "core/ScanMailbox.h"
#include "core/TfileList.h"

#include <atomic>
#include <cstddef>

namespace orbisk {

// Once the walk has waited for storage, job.ReaderThreads readers list the
// next folders of the queue (see ReadAhead); the walk records their entries
// in order. At most FoldersAhead folders past the walk's are held, each with
// at most MaxEntriesAhead entries (a larger folder is read by the walk).
inline constexpr std::size_t FoldersAhead = 64;
inline constexpr std::size_t MaxEntriesAhead = 2048;

// The first phase of a scan, on the worker thread: decides which files the
// scan takes icons from. Both lists start empty.
//
// One-file mode: FolderList gets the file's folder, TfileList the file (the
// filter does not apply) and the caption reads "File: " and the path.
//
// Folder mode: FolderList gets the root, then every folder queued; the walk is
// breadth-first, each folder's entries in the order the file system lists them.
// Files that pass the filter are recorded; folders are queued when job.WithSub
// is on and skipped otherwise. Symbolic links to folders are neither followed
// nor recorded, and each real folder is walked once, so the walk always ends;
// links to files are files. Special files (FIFOs, devices, sockets) are
// recorded like files: extraction never opens them and finds no icon. Folders
// that cannot be read are passed over silently. The third panel reads
// "Scanning " and the root, the caption "Folder: " and the root, and the first
// panel the running file count followed by " files".
//
// Returns when done or as soon as stopped is seen (before each folder and
// after each entry); what was recorded until then stays.
void CollectFiles(const ScanJob& job, FolderList& folders, TfileList& files, ScanMailbox& mailbox,
    const std::atomic<bool>& stopped);

} // namespace orbisk
