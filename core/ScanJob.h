#pragma once

#include "platform/pixels/IconHandle.h"

#include <functional>
#include <string>

namespace orbisk {

// Icon n of the file at path, or nullptr; the caller owns the handle.
using ExtractFn = std::function<HICON(const std::string& path, int n)>;

// Seams into a running scan, called on the worker thread. Tests use them to
// hold a scan at a known point; tools may swap the extraction.
struct ScanHooks {
    // Replaces ExtractIcon when set.
    ExtractFn extract;
    // Runs after the walk has handled each directory entry.
    std::function<void()> afterEntry;
    // Starts the readers of the walk and of the extraction with the first
    // folder and file, even where they would wait until the worker has had
    // to wait for storage (see ReadAhead).
    bool readAheadAtOnce = false;
};

// Threads that read the next folders of the walk and the next files of the
// extraction ahead of the scanning worker (see ReadAhead); 0 leaves every
// read to the worker.
inline constexpr int DefaultReaderThreads = 8;

// What one scanning worker reads. BeginScan copies it from the engine's
// settings, so changing the settings never races a running scan.
struct ScanJob {
    std::string ScanRoot;
    bool OneFileMode = false;
    bool WithSub = false;
    std::string FileExt;
    ScanHooks hooks;
    // Read-ahead threads (the extraction has none when hooks.extract is set).
    int ReaderThreads = DefaultReaderThreads;
};

} // namespace orbisk
