#pragma once

#include "core/FolderList.h"
#include "core/ScanJob.h"
#include "core/ScanMailbox.h"
#include "core/TfileList.h"

#include <atomic>

namespace orbisk {

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
